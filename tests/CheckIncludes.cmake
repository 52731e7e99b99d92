# Fails when a file of a room includes what the room may not use. Each row: a folder of the source
# tree (searched with its subfolders) and a regular expression for the names it may not include.
# Dependencies point down only: the scanning core knows no window, command line or Qt; the file
# service knows no scanning. Add a row for each new room.
set(forbidden_window "^window/")
set(forbidden_cli "^cli/")
set(forbidden_scan "^scan/")
set(forbidden_qt_services "^platform/qt/")
set(forbidden_qt "^Q")
set(forbidden_win32 "^[Ww]indows\\.h$")
set(rules
    "scan" "${forbidden_window}|${forbidden_cli}|${forbidden_qt_services}|${forbidden_qt}|${forbidden_win32}"
    "platform/io" "${forbidden_scan}|${forbidden_window}|${forbidden_cli}|${forbidden_qt_services}|${forbidden_qt}"
    "platform/qt" "${forbidden_scan}|${forbidden_window}|${forbidden_cli}"
    "cli" "${forbidden_window}|${forbidden_qt_services}|${forbidden_qt}"
    "window" "${forbidden_cli}"
    "window/core" "${forbidden_cli}|^window/(qt|win32)/|${forbidden_qt_services}|${forbidden_qt}|${forbidden_win32}"
    "window/qt" "^window/win32/"
    "platform/win32" "${forbidden_scan}|${forbidden_window}|${forbidden_cli}|${forbidden_qt_services}|${forbidden_qt}"
    "window/win32" "${forbidden_cli}|^window/qt/|${forbidden_qt_services}|${forbidden_qt}")

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
