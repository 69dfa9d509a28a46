# BRAZZLE_SANITIZE selects a sanitizer build for the whole tree: "address" (with
# undefined-behaviour checks) or "thread".
set(BRAZZLE_SANITIZE "" CACHE STRING "Sanitizer build: empty, address or thread")

if(BRAZZLE_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
elseif(BRAZZLE_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(NOT BRAZZLE_SANITIZE STREQUAL "")
    message(FATAL_ERROR "BRAZZLE_SANITIZE must be empty, address or thread")
endif()
