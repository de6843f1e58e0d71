# The adapter library's dynamic symbol table defines exactly the five entry
# points the link resolves, and nothing else (no C++ runtime, no libftdi).
# cmake -DNM=<nm> -DLIBRARY=<libftd2xx.so> -P check_exports.cmake
execute_process(
  COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE table
  ERROR_VARIABLE errors
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}: ${errors}")
endif()

set(names "")
string(REPLACE "\n" ";" lines "${table}")
foreach(line IN LISTS lines)
  # "<address> <type> <name>"; ignore version definition entries (type A).
  if(line MATCHES "^[0-9a-fA-F]* +([A-Za-z]) +([^ ]+)$")
    if(NOT CMAKE_MATCH_1 STREQUAL "A")
      list(APPEND names "${CMAKE_MATCH_2}")
    endif()
  elseif(NOT line STREQUAL "")
    message(FATAL_ERROR "unexpected line from ${NM}: '${line}'")
  endif()
endforeach()
list(SORT names)

set(expected FT_GetBitMode FT_Open FT_SetBaudRate FT_SetBitMode FT_Write)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "exported: ${names}\nexpected: ${expected}")
endif()
