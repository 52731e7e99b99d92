# nlohmann-json for cross builds: the same header-only library as Debian's nlohmann-json3-dev,
# exposed through a folder that holds only its headers, so that the host's /usr/include stays off
# the search path.
if(TARGET nlohmann_json::nlohmann_json)
    return()
endif()
set(_trovik_json_include ${CMAKE_BINARY_DIR}/nlohmann-json-include)
if(NOT EXISTS ${_trovik_json_include}/nlohmann/json.hpp)
    file(MAKE_DIRECTORY ${_trovik_json_include})
    file(CREATE_LINK /usr/include/nlohmann ${_trovik_json_include}/nlohmann SYMBOLIC)
endif()
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_COMPILE_FEATURES cxx_std_11
    INTERFACE_INCLUDE_DIRECTORIES ${_trovik_json_include})
unset(_trovik_json_include)
