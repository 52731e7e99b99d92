# The version of the CLI11 headers Debian installed.
include(/usr/share/cmake/CLI11/CLI11ConfigVersion.cmake)
