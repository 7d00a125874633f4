# The credits library exports AboutBox and AboutBoxArray and nothing else.
# Usage: cmake -DNM=<nm> -DLIBRARY=<libKelvaneU.so> -P CheckExports.cmake
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${listing}")
set(names)
foreach(line IN LISTS lines)
    string(REGEX REPLACE "^.* " "" name "${line}")
    list(APPEND names ${name})
endforeach()
list(SORT names)
if(NOT names STREQUAL "AboutBox;AboutBoxArray")
    message(FATAL_ERROR "libKelvaneU.so exports: ${names}")
endif()
