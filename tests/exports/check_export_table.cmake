# Fails unless the library's dynamic symbol table defines exactly the exports.
#   cmake -DLIBRARY=<path> -DNM=<nm> -P check_export_table.cmake
set(expected holdem_test omaha_test omahalow_test poker_ev5 poker_ev7 poker_evomaha poker_evomahalow
    poker_holdem_equity poker_set_holdem_range_simul poker_set_holdem_range_exact
    poker_omaha_equity poker_omahahl_equity poker_load_omaha_range poker_load_omahahl_range)

execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY} OUTPUT_VARIABLE table RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REPLACE "\n" ";" lines "${table}")
set(defined "")
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-fA-F]+ [A-Za-z] (.+)$")
    list(APPEND defined "${CMAKE_MATCH_1}")
  endif()
endforeach()
list(SORT defined)
list(SORT expected)
if(NOT defined STREQUAL expected)
  message(FATAL_ERROR "dynamic symbols differ from the exports\n  found:    ${defined}\n  expected: ${expected}")
endif()
message(STATUS "dynamic symbol table: ${defined}")
