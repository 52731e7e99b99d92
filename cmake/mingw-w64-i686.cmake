# Cross build for 32-bit Windows with Debian's MinGW-w64 compilers (g++-mingw-w64-i686-posix).
# Its programs run under the 32-bit half of wine (Debian's wine32, with the i386 architecture).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_TRIPLET i686-w64-mingw32)
set(MINGW_WINE_LOADER wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
