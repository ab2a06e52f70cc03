# The same sources as a 64-bit Windows program, for machines whose kernel does
# not run 32-bit Linux programs and so cannot run 32-bit Wine.
set(KESTREL_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
