# What both MinGW-w64 toolchain files share. Expects MINGW_TRIPLET (x86_64-w64-mingw32 or
# i686-w64-mingw32) and MINGW_WINE_LOADER (wine64 or wine) to be set before it is included.
set(CMAKE_SYSTEM_NAME Windows)

# The -posix compilers by their full names: with the win32 thread model std::thread and std::mutex
# do not exist, and installing that model re-points the plain compiler names.
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

# Libraries and headers come from the MinGW-w64 tree only, never from the host's /usr.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CLI11 is header-only; Debian's package config would add the host's /usr/include to the search
# path, so the cross build uses a package config that exposes only CLI11's own headers.
set(CLI11_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw-w64-cli11 CACHE PATH "CLI11 for the MinGW-w64 build")
# nlohmann-json likewise.
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw-w64-nlohmann-json
    CACHE PATH "nlohmann-json for the MinGW-w64 build")

# Static linking: the programs need only the DLLs that come with Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs run under the wine loader of the programs' own width, named by each toolchain file
# in MINGW_WINE_LOADER: wine's 64-bit loader runs on every machine, the 32-bit one only where the
# kernel runs 32-bit programs (and wine32 is installed). Scripts that run the programs take the
# loader from here, never `wine` by name.
find_program(TROVIK_WINE NAMES ${MINGW_WINE_LOADER} PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(TROVIK_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TROVIK_WINE})
endif()
