# Fails when a file of a room includes what the room may not use. Each row: a folder of the source
# tree (searched with its subfolders) and a regular expression for the names it may not include.
# Dependencies point down only: the scanning core knows no window, command line or Qt; the file
# service knows no scanning. Add a row for each new room.
set(rules
    "scan" "^(window|cli|platform/qt)/|^Q|^[Ww]indows\\.h$"
    "platform/io" "^(scan|window|cli|platform/qt)/|^Q"
    "platform/qt" "^(scan|window|cli)/"
    "cli" "^(window|platform/qt)/|^Q"
    "window" "^cli/"
    "window/core" "^(cli|window/qt|window/win32|platform/qt)/|^Q|^[Ww]indows\\.h$"
    "window/qt" "^window/win32/"
    "platform/win32" "^(scan|window|cli|platform/qt)/|^Q"
    "window/win32" "^(cli|window/qt|platform/qt)/|^Q")

set(include_line "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]")
while(rules)
    list(POP_FRONT rules room forbidden)
    if(NOT IS_DIRECTORY "${SOURCE_DIR}/${room}")
        message(SEND_ERROR "${room}: no such room; update the table in ${CMAKE_CURRENT_LIST_FILE}")
    endif()
    file(GLOB_RECURSE sources "${SOURCE_DIR}/${room}/*.h" "${SOURCE_DIR}/${room}/*.cpp")
    foreach(source IN LISTS sources)
        file(STRINGS "${source}" lines REGEX "${include_line}")
        foreach(line IN LISTS lines)
            string(REGEX REPLACE "${include_line}.*" "\\1" name "${line}")
            if(name MATCHES "${forbidden}")
                message(SEND_ERROR "${source} includes ${name}, which ${room}/ may not use")
            endif()
        endforeach()
    endforeach()
endwhile()
