# Fails unless ARCHIVE (the portable .zip) unpacks into one folder, NAME, holding trovik.exe and
# trovik-scan.exe and nothing else, each the same as in SHIPPED (what the installer carries).
# Run with -DARCHIVE=... -DNAME=trovik-1.01-x64 -DSHIPPED=...
cmake_minimum_required(VERSION 3.25)
set(out ${CMAKE_CURRENT_BINARY_DIR}/portable-archive)
file(REMOVE_RECURSE ${out})
file(ARCHIVE_EXTRACT INPUT ${ARCHIVE} DESTINATION ${out})
file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE ${out} ${out}/*)
list(SORT found)
if(NOT found STREQUAL "${NAME}/trovik-scan.exe;${NAME}/trovik.exe")
    message(FATAL_ERROR "${ARCHIVE} holds: ${found}")
endif()
# Each program as the build ships it: a difference is an error.
foreach(program IN ITEMS trovik.exe trovik-scan.exe)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${out}/${NAME}/${program}
                            ${SHIPPED}/${program} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(REMOVE_RECURSE ${out})
