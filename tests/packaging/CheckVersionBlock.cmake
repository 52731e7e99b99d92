# Fails when PROGRAM (a Windows program) lacks its version block, or the block names another
# program or version than the build's. Reads the block's UTF-16 strings in file order, where each
# value follows its key; strings with characters that CMake's lists take apart ([ ] ; \) are left
# out, as no key or value of ours holds one. Run with -DPROGRAM=... -DNAME=trovik-scan -DVERSION=1.01
cmake_minimum_required(VERSION 3.25)
file(STRINGS ${PROGRAM} strings ENCODING UTF-16LE REGEX "^[^][;\\]+$")
list(FIND strings "VS_VERSION_INFO" start)
if(start EQUAL -1)
    message(FATAL_ERROR "${PROGRAM} has no version block")
endif()
list(SUBLIST strings ${start} 40 block)
foreach(pair IN ITEMS "FileVersion=${VERSION}" "ProductVersion=${VERSION}" "ProductName=trovik"
                      "InternalName=${NAME}" "OriginalFilename=${NAME}.exe")
    string(REPLACE "=" ";" pair "${pair}")
    list(GET pair 0 key)
    list(GET pair 1 expected)
    list(FIND block "${key}" at)
    set(value "(none)")
    if(at GREATER -1)
        math(EXPR at "${at} + 1")
        list(GET block ${at} value)
    endif()
    if(NOT value STREQUAL expected)
        message(FATAL_ERROR "${PROGRAM}: ${key} is \"${value}\", not \"${expected}\"")
    endif()
endforeach()
