# CLI11 for cross builds: the same header-only library as Debian's libcli11-dev, exposed through
# a folder that holds only its headers, so that the host's /usr/include stays off the search path.
if(TARGET CLI11::CLI11)
    return()
endif()
set(_trovik_cli11_include ${CMAKE_BINARY_DIR}/cli11-include)
if(NOT EXISTS ${_trovik_cli11_include}/CLI/CLI.hpp)
    file(MAKE_DIRECTORY ${_trovik_cli11_include})
    file(CREATE_LINK /usr/include/CLI ${_trovik_cli11_include}/CLI SYMBOLIC)
endif()
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES
    INTERFACE_COMPILE_FEATURES cxx_std_11
    INTERFACE_INCLUDE_DIRECTORIES ${_trovik_cli11_include})
unset(_trovik_cli11_include)
