# Runs PROGRAM and fails unless it exits with status 0 and every line of the
# file EXPECTED appears as a whole line of its standard output (in any
# order: the program writes through both Fortran units and C stdio).
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${PROGRAM} RESULT_VARIABLE status OUTPUT_VARIABLE out
  ERROR_VARIABLE err TIMEOUT 60)
message("${out}${err}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "exit status ${status}")
endif()
file(STRINGS ${EXPECTED} lines)
string(REPLACE "\n" ";" got "${out}")
foreach(line IN LISTS lines)
  if(NOT line IN_LIST got)
    message(FATAL_ERROR "missing line: '${line}'")
  endif()
endforeach()
