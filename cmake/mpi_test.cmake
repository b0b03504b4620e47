# cellkeys_add_mpi_test(<name> PROCESSES <n> [TIMEOUT <seconds>] [EXIT_STATUS <code>]
#                       COMMAND <program> [<arg>...] [PROPERTIES <property> <value>...])
#   Runs <program> under mpiexec on <n> processes.  With EXIT_STATUS the test
#   passes only when the job ends with that status (a job that aborts on
#   purpose); otherwise status 0 passes.
# cellkeys_add_mpi_test(<name> PROCESSES <n> [TIMEOUT <seconds>] LAUNCHER <command> [<arg>...]
#                       [PROPERTIES <property> <value>...])
#   Runs <command> as given: a program that starts MPI jobs itself, with at
#   most <n> processes at a time.  It finds the command that starts a job on
#   <n> processes, mpiexec and its arguments as COMMAND gets them, in the
#   environment variable CELLKEYS_MPIEXEC (words separated by spaces), and
#   appends its program and arguments.
# The test is named <folder>.<name>, as every test (cmake/tests.cmake); a
# program built with cellkeys_add_test_program and named as
# $<TARGET_FILE:...>, or a test file named by its full path, counts as used.
#
# Every MPI test runs in the same environment: Open MPI may run as root and
# start more processes than there are cores (tests only), and under the
# sanitizers leak detection is off, since Open MPI's own allocations would be
# reported as leaks at exit.  TIMEOUT defaults to 60 seconds; PROCESSORS is
# <n>, so that ctest -j does not oversubscribe the machine further.
function(cellkeys_add_mpi_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "PROCESSES;TIMEOUT;EXIT_STATUS" "COMMAND;LAUNCHER;PROPERTIES")
  if(NOT arg_PROCESSES OR (NOT arg_COMMAND AND NOT arg_LAUNCHER) OR (arg_COMMAND AND arg_LAUNCHER))
    message(FATAL_ERROR "cellkeys_add_mpi_test(${name}): PROCESSES and one of COMMAND or LAUNCHER needed")
  endif()
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 60)
  endif()
  set(mpiexec ${MPIEXEC_EXECUTABLE} ${MPIEXEC_NUMPROC_FLAG} ${arg_PROCESSES} ${MPIEXEC_PREFLAGS})
  set(environment OMPI_ALLOW_RUN_AS_ROOT=1 OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1
    OMPI_MCA_rmaps_base_oversubscribe=1)
  if(arg_LAUNCHER)
    set(command ${arg_LAUNCHER})
    list(JOIN mpiexec " " words)
    list(APPEND environment "CELLKEYS_MPIEXEC=${words}")
  else()
    set(command ${mpiexec} ${arg_COMMAND} ${MPIEXEC_POSTFLAGS})
    if(DEFINED arg_EXIT_STATUS)
      # The job is ended by the script's own timeout, a little before ctest's,
      # so that a hang reports the status it ended with.
      math(EXPR seconds "${arg_TIMEOUT} - 10")
      list(JOIN command "\\;" joined)
      set(command ${CMAKE_COMMAND} "-DCOMMAND=${joined}" -DEXPECTED=${arg_EXIT_STATUS}
        -DSECONDS=${seconds} -P ${PROJECT_SOURCE_DIR}/cmake/expect_exit_status.cmake)
    endif()
  endif()
  if(CELLKEYS_SANITIZE)
    list(APPEND environment ASAN_OPTIONS=detect_leaks=0)
  endif()
  cellkeys_test_folder(folder)
  set(name ${folder}.${name})
  add_test(NAME ${name} COMMAND ${command})
  cellkeys_record_test_files(${arg_COMMAND} ${arg_LAUNCHER})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}"
    TIMEOUT ${arg_TIMEOUT} PROCESSORS ${arg_PROCESSES})
  if(arg_PROPERTIES)
    set_tests_properties(${name} PROPERTIES ${arg_PROPERTIES})
  endif()
endfunction()
