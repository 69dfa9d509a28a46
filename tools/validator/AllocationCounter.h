#pragma once

#include <juce_core/juce_core.h>

#include <vector>

#ifndef BRAZZLE_VALIDATOR_COUNTS_ALLOCATIONS
 #define BRAZZLE_VALIDATOR_COUNTS_ALLOCATIONS 1
#endif

namespace brazzle::validator
{
/** Counts heap allocations made by the calling thread while it is armed. The
    validator replaces the global operator new and wraps malloc, calloc and realloc;
    a plug-in loaded with dlopen binds those symbols to the executable, so its
    allocations are counted too. Sanitizer builds keep their own allocator, and there
    the counter is compiled out and reports itself unavailable. */
class AllocationCounter
{
public:
    static constexpr bool isAvailable = BRAZZLE_VALIDATOR_COUNTS_ALLOCATIONS != 0;

    /** Arms the counter for the calling thread for the scope's lifetime. */
    class ScopedArm
    {
    public:
        ScopedArm() noexcept;
        ~ScopedArm() noexcept;

        JUCE_DECLARE_NON_COPYABLE (ScopedArm)
    };

    /** Allocations seen on the calling thread while armed, since the last reset. */
    static juce::uint64 getCount() noexcept;
    static void reset() noexcept;

    /** The shared objects on the call stacks of the first allocations since the last
        reset (a few dozen are kept), to learn who allocated. */
    static juce::StringArray getAllocatingModules();

    /** Allocations since the last reset grouped by where they were made. */
    struct Site
    {
        juce::uint64 count = 0;

        /** The function that called the allocator, outside the validator itself, as
            "function (library+offset)"; the function is empty when the library carries
            no symbol table. */
        juce::String caller, callerFunction;

        juce::StringArray stack;
    };

    /** Sites in the order they were first seen. Allocations past the few dozen sites
        that are kept count as one site with an empty caller. */
    static std::vector<Site> getSites();

    /** Loads what taking a call stack needs, so that doing it later allocates nothing. */
    static void prepare();
};
} // namespace brazzle::validator
