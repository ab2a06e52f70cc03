# The product's version: KESTREL_VERSION when it is set (a package built at
# another version, for instance), the project's otherwise. Sets
# KESTREL_PRODUCT_VERSION (major.minor.patch) and KESTREL_VERSION_MAJOR,
# _MINOR and _PATCH.
set(KESTREL_VERSION "" CACHE STRING "Product version major.minor.patch (empty: the project's version)")

if(KESTREL_VERSION)
    set(_version "${KESTREL_VERSION}")
else()
    set(_version "${PROJECT_VERSION}")
endif()
if(NOT _version MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "Product version '${_version}' is not major.minor.patch")
endif()
math(EXPR KESTREL_VERSION_MAJOR "${CMAKE_MATCH_1}")
math(EXPR KESTREL_VERSION_MINOR "${CMAKE_MATCH_2}")
math(EXPR KESTREL_VERSION_PATCH "${CMAKE_MATCH_3}")
# Windows Installer compares product versions of at most 255.255.65535.
if(KESTREL_VERSION_MAJOR GREATER 255 OR KESTREL_VERSION_MINOR GREATER 255
   OR KESTREL_VERSION_PATCH GREATER 65535)
    message(FATAL_ERROR "Product version '${_version}' is above 255.255.65535")
endif()
set(KESTREL_PRODUCT_VERSION
    "${KESTREL_VERSION_MAJOR}.${KESTREL_VERSION_MINOR}.${KESTREL_VERSION_PATCH}")
