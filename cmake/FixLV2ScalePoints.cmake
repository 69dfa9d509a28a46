# cmake -D TTL=<bundle>/dsp.ttl -D PARAMETER=<iri suffix> -P FixLV2ScalePoints.cmake
#
# JUCE 7.0.5's juce_lv2_helper writes the scale points of a discrete parameter as
# normalised values (0, 0.2, ... 1) while the parameter's lv2:minimum and lv2:maximum,
# its default and every value carried by patch:set are plain values. A host matches
# labels to values by the scale points, so it names the wrong choice and sets the
# wrong one. JUCE writes the points in step order from the range's start to its end,
# so the n-th point's plain value is minimum + n * (maximum - minimum) / (points - 1).
# Only whole-number ranges with whole-number steps are handled; anything else stops
# the build rather than leave a wrong menu in the bundle. Running it again on a fixed
# file changes nothing.

cmake_minimum_required(VERSION 3.22)

if(NOT TTL OR NOT PARAMETER)
    message(FATAL_ERROR "usage: cmake -D TTL=path/dsp.ttl -D PARAMETER=iri -P FixLV2ScalePoints.cmake")
endif()

file(READ "${TTL}" ttl)

# Each parameter is one statement, "plug:<iri>" up to the " .\n\n" that ends it.
string(FIND "${ttl}" "\nplug:${PARAMETER}\n" start)

if(start EQUAL -1)
    message(FATAL_ERROR "${TTL}: no parameter plug:${PARAMETER}")
endif()

string(SUBSTRING "${ttl}" 0 ${start} before)
string(SUBSTRING "${ttl}" ${start} -1 rest)
string(FIND "${rest}" " .\n\n" end)

if(end EQUAL -1)
    message(FATAL_ERROR "${TTL}: plug:${PARAMETER} does not end as expected")
endif()

string(SUBSTRING "${rest}" 0 ${end} block)
string(SUBSTRING "${rest}" ${end} -1 after)

if(NOT block MATCHES "\tlv2:minimum (-?[0-9]+) ;\n")
    message(FATAL_ERROR "${TTL}: plug:${PARAMETER} has no whole-number lv2:minimum")
endif()
set(minimum ${CMAKE_MATCH_1})

if(NOT block MATCHES "\tlv2:maximum (-?[0-9]+)[\t ]")
    message(FATAL_ERROR "${TTL}: plug:${PARAMETER} has no whole-number lv2:maximum")
endif()
set(maximum ${CMAKE_MATCH_1})

string(REGEX MATCHALL "\t\trdf:value [^ \n;]+" points "${block}")
list(LENGTH points numPoints)

if(numPoints LESS 2)
    message(FATAL_ERROR "${TTL}: plug:${PARAMETER} has ${numPoints} scale points")
endif()

math(EXPR span "${maximum} - ${minimum}")
math(EXPR intervals "${numPoints} - 1")
math(EXPR step "${span} / ${intervals}")
math(EXPR remainder "${span} % ${intervals}")

if(NOT remainder EQUAL 0 OR step LESS_EQUAL 0)
    message(FATAL_ERROR "${TTL}: plug:${PARAMETER} spans ${minimum}..${maximum} in ${numPoints} points, not whole steps")
endif()

set(fixed "")
set(index 0)

while(TRUE)
    string(FIND "${block}" "\t\trdf:value " at)

    if(at EQUAL -1)
        break()
    endif()

    string(SUBSTRING "${block}" 0 ${at} head)
    string(SUBSTRING "${block}" ${at} -1 block)
    string(FIND "${block}" " ;" valueEnd)
    string(SUBSTRING "${block}" ${valueEnd} -1 block)

    math(EXPR value "${minimum} + ${index} * ${step}")
    string(APPEND fixed "${head}\t\trdf:value ${value}")
    math(EXPR index "${index} + 1")
endwhile()

string(APPEND fixed "${block}")

set(result "${before}${fixed}${after}")

if(NOT result STREQUAL ttl)
    file(WRITE "${TTL}" "${result}")
    message(STATUS "${TTL}: scale points of plug:${PARAMETER} set to plain values ${minimum}..${maximum}")
endif()
