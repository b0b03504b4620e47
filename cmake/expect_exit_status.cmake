# Runs COMMAND (a ;-list) and fails unless it exits with status EXPECTED
# within SECONDS.
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE status TIMEOUT ${SECONDS})
if(NOT "${status}" STREQUAL "${EXPECTED}")
  message(FATAL_ERROR "exit status ${status}, expected ${EXPECTED}")
endif()
