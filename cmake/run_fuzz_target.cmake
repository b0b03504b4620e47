# Runs the libFuzzer target TARGET for SECONDS seconds from a copy of its
# seed corpus CORPUS in the fresh directory WORK, so that the committed
# corpus stays as it is.  A crash, a sanitizer report, an input slower than
# ten seconds or one using more than 4 GiB fails the run; the input is kept
# in WORK.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus)
file(GLOB seeds ${CORPUS}/*)
file(COPY ${seeds} DESTINATION ${WORK}/corpus)
execute_process(COMMAND ${TARGET} -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=4096
    -artifact_prefix=${WORK}/ ${WORK}/corpus
  RESULT_VARIABLE status ERROR_VARIABLE log)
if(NOT status EQUAL 0)
  string(LENGTH "${log}" length)
  if(length GREATER 6000)
    math(EXPR from "${length} - 6000")
    string(SUBSTRING "${log}" ${from} -1 log)
  endif()
  message(FATAL_ERROR "${log}\nexit status ${status}; the input is kept in ${WORK}")
endif()
string(REGEX MATCH "#[0-9]+[ \t]+DONE[^\n]*" done "${log}")
message("${done}")
