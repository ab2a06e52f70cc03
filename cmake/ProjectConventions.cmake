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
