# Windows programs of a cross build run under Wine, through the wine-run script
# written into the build tree: CTest and the scripts start tests and tools with
# it, each build with a Wine prefix of its own. A 64-bit build runs on 64-bit
# Wine alone (Debian's loader path); a 32-bit one needs Wine's 32-bit loader,
# which the plain wine command chooses.
if(NOT (CMAKE_CROSSCOMPILING AND WIN32))
    return()
endif()

set(KESTREL_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(KESTREL_WINE_LOADER /usr/lib/wine/wine64)
    set(KESTREL_WINE_SETUP "export WINELOADER=/usr/lib/wine/wine64 WINEARCH=win64")
else()
    set(KESTREL_WINE_LOADER wine)
    set(KESTREL_WINE_SETUP "")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in "${CMAKE_BINARY_DIR}/wine-run" @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_BINARY_DIR}/wine-run")
