# The version of the nlohmann-json headers Debian installed.
include(/usr/share/cmake/nlohmann_json/nlohmann_jsonConfigVersion.cmake)
