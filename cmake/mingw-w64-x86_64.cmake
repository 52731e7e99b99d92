# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers (g++-mingw-w64-x86-64-posix).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
set(MINGW_WINE_LOADER wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
