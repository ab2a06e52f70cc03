# Conventions every target of this project follows.

# Warnings: linked by each of our targets, so that third-party code built here
# (GoogleTest) keeps its own. KESTREL_WERROR makes them errors.
option(KESTREL_WERROR "Treat compiler warnings of the project's own code as errors" OFF)
add_library(kestrel_warnings INTERFACE)
if(MSVC)
    set(_warning_flags /W4)
    set(_error_flag /WX)
else()
    set(_warning_flags -Wall -Wextra -Wshadow)
    set(_error_flag -Werror)
endif()
if(KESTREL_WERROR)
    list(APPEND _warning_flags ${_error_flag})
endif()
# C++ only: the resource compiler takes none of these.
target_compile_options(kestrel_warnings INTERFACE "$<$<COMPILE_LANGUAGE:CXX>:${_warning_flags}>")

# kestrel_place_in_bin(<target>...)
# Programs that start one another find each other in their own folder (the tests'
# BesideThisProgram): the panel, the simulator, and every test, benchmark or probe
# that starts one of them or is started by one go to bin/, and nothing else does.
# tests/shell's programs in particular stay out: its decoy DBGHELP.dll must
# never sit beside the panel.
set(KESTREL_BIN_DIR "${CMAKE_BINARY_DIR}/bin")
function(kestrel_place_in_bin)
    set_target_properties(${ARGN} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${KESTREL_BIN_DIR}")
endfunction()

# kestrel_forbid_links(<target> <library>...)
# Fails the configuration when <target> links one of the libraries, directly or
# through another library. Call once every target exists.
function(kestrel_forbid_links target)
    set(seen)
    set(pending ${target})
    while(pending)
        list(POP_FRONT pending current)
        if(NOT TARGET ${current} OR current IN_LIST seen)
            continue()
        endif()
        list(APPEND seen ${current})
        get_target_property(type ${current} TYPE)
        set(links)
        if(NOT type STREQUAL "INTERFACE_LIBRARY")
            get_target_property(direct ${current} LINK_LIBRARIES)
            if(direct)
                list(APPEND links ${direct})
            endif()
        endif()
        get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
        if(interface)
            list(APPEND links ${interface})
        endif()
        foreach(link IN LISTS links)
            if(link IN_LIST ARGN)
                message(FATAL_ERROR "${target} links ${link} (through ${current})")
            endif()
            list(APPEND pending ${link})
        endforeach()
    endwhile()
endfunction()
