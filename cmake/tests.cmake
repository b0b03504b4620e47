# Registering tests.  Every test of the suite goes through one of these, so
# that every test is named the same way and every test file is accounted for:
#
# cellkeys_add_gtest(<target> <source>... [LINK <lib>...] [PREFIX <prefix>]
#                    [TIMEOUT <seconds>] [DISCOVERY_TIMEOUT <seconds>])
#   A GoogleTest program built from <source>... (linked with GTest::gtest_main
#   and <lib>...), each of its tests a CTest test named
#   <folder>.<prefix><Suite>.<test>.  Add include directories and definitions
#   to <target> afterwards as to any target.
# cellkeys_add_test_program(<target> <source>... [LINK <lib>...])
#   A program that a test runs (an MPI test, a C program, a Fortran program):
#   built, and its sources accounted for once a test names
#   $<TARGET_FILE:<target>> in its command.
# cellkeys_add_test(<name> COMMAND <program> [<arg>...] [TIMEOUT <seconds>]
#                   [PROPERTIES <property> <value>...])
#   A test that passes when the command exits with status 0.
# cellkeys_add_python_test(<name> SCRIPT <file> [ARGS <arg>...] [TIMEOUT <seconds>]
#                          [PROPERTIES <property> <value>...])
#   <file> run by the Python interpreter that imports VTK's bindings
#   (Python3_EXECUTABLE, /usr/bin/python3 by default).
# cellkeys_add_fortran_test(<name> SOURCES <file>... EXPECTED <file> [LINK <lib>...])
#   A Fortran program that passes when it exits with status 0 and prints
#   every line of the EXPECTED file (cmake/run_and_match.cmake).
# cellkeys_add_mpi_test(...) in cmake/mpi_test.cmake: a program under mpiexec.
# cellkeys_skip_test_files(<reason> <file>...)
#   Test files that this build neither builds nor runs, with the reason
#   (no MPI, no Fortran compiler, no VTK for Python), so that the check
#   below tells them from files that no test uses at all.
#
# Names: every test is <folder>.<name>, <folder> being the test's folder
# below tests/ ("converter", "cellkeys"...), so that ctest -R '^octree\.'
# runs one folder.  Each folder also gets a target tests_<folder> that builds
# its test programs (the portable-path build builds only two folders).
#
# The test tests.every_test_file_is_used fails when a *_test.* file under
# tests/ is built or run by no test (cmake/check_test_files.cmake): each
# helper records the files it builds or runs, and the check compares them
# with the files on disk when it runs.

# The folder of the calling CMakeLists, as a test name's first part.
function(cellkeys_test_folder out)
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  if(folder MATCHES "^\\.\\.")
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  elseif(folder STREQUAL "")
    set(folder tests)
  endif()
  string(REPLACE "/" "." folder "${folder}")
  set(${out} ${folder} PARENT_SCOPE)
endfunction()

# Records as used the test files among args: files that exist, and the
# sources of programs named by $<TARGET_FILE:...>.
function(cellkeys_record_test_files)
  set(files)
  foreach(arg IN LISTS ARGN)
    if(arg MATCHES "\\$<TARGET_FILE:([^>]+)>")
      set(target ${CMAKE_MATCH_1})
      if(TARGET ${target})
        get_target_property(sources ${target} CELLKEYS_TEST_SOURCES)
        if(sources)
          list(APPEND files ${sources})
        endif()
      endif()
    elseif(IS_ABSOLUTE "${arg}" AND EXISTS "${arg}")
      list(APPEND files ${arg})
    endif()
  endforeach()
  set_property(GLOBAL APPEND PROPERTY CELLKEYS_TEST_FILES ${files})
endfunction()

function(cellkeys_skip_test_files reason)
  foreach(file IN LISTS ARGN)
    get_filename_component(file ${file} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    set_property(GLOBAL APPEND PROPERTY CELLKEYS_SKIPPED_TEST_FILES "${file}: ${reason}")
  endforeach()
endfunction()

# Gives the registered test <name> its TIMEOUT and PROPERTIES (the parsed
# arguments of the caller, prefix arg_).
macro(cellkeys_set_test_properties name)
  if(arg_TIMEOUT)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${arg_TIMEOUT})
  endif()
  if(arg_PROPERTIES)
    set_tests_properties(${name} PROPERTIES ${arg_PROPERTIES})
  endif()
endmacro()

function(cellkeys_add_test_program target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LINK")
  set(sources)
  foreach(source IN LISTS arg_UNPARSED_ARGUMENTS)
    get_filename_component(source ${source} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND sources ${source})
  endforeach()
  add_executable(${target} ${sources})
  if(arg_LINK)
    target_link_libraries(${target} PRIVATE ${arg_LINK})
  endif()
  set_property(TARGET ${target} PROPERTY CELLKEYS_TEST_SOURCES ${sources})
  cellkeys_test_folder(folder)
  if(NOT TARGET tests_${folder})
    add_custom_target(tests_${folder})
  endif()
  add_dependencies(tests_${folder} ${target})
endfunction()

function(cellkeys_add_gtest target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "PREFIX;TIMEOUT;DISCOVERY_TIMEOUT" "LINK")
  if(NOT arg_DISCOVERY_TIMEOUT)
    set(arg_DISCOVERY_TIMEOUT 30)
  endif()
  cellkeys_add_test_program(${target} ${arg_UNPARSED_ARGUMENTS} LINK ${arg_LINK} GTest::gtest_main)
  cellkeys_record_test_files($<TARGET_FILE:${target}>)
  cellkeys_test_folder(folder)
  set(properties)
  if(arg_TIMEOUT)
    set(properties PROPERTIES TIMEOUT ${arg_TIMEOUT})
  endif()
  gtest_discover_tests(${target} TEST_PREFIX ${folder}.${arg_PREFIX}
    DISCOVERY_TIMEOUT ${arg_DISCOVERY_TIMEOUT} ${properties})
endfunction()

function(cellkeys_add_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "TIMEOUT" "COMMAND;PROPERTIES")
  cellkeys_test_folder(folder)
  add_test(NAME ${folder}.${name} COMMAND ${arg_COMMAND})
  cellkeys_record_test_files(${arg_COMMAND})
  cellkeys_set_test_properties(${folder}.${name})
endfunction()

function(cellkeys_add_python_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "SCRIPT;TIMEOUT" "ARGS;PROPERTIES")
  get_filename_component(script ${arg_SCRIPT} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  cellkeys_test_folder(folder)
  add_test(NAME ${folder}.${name} COMMAND ${Python3_EXECUTABLE} ${script} ${arg_ARGS})
  cellkeys_record_test_files(${script} ${arg_ARGS})
  cellkeys_set_test_properties(${folder}.${name})
endfunction()

function(cellkeys_add_fortran_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "EXPECTED" "SOURCES;LINK")
  get_filename_component(expected ${arg_EXPECTED} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  cellkeys_add_test_program(fortran_${name}_test ${arg_SOURCES} LINK ${arg_LINK})
  cellkeys_add_test(${name}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:fortran_${name}_test> -DEXPECTED=${expected}
      -P ${PROJECT_SOURCE_DIR}/cmake/run_and_match.cmake)
  cellkeys_record_test_files(${expected})
endfunction()

# The check itself, registered last (from tests/CMakeLists.txt) when every
# folder has recorded its files.
function(cellkeys_add_test_files_check)
  get_property(used GLOBAL PROPERTY CELLKEYS_TEST_FILES)
  get_property(skipped GLOBAL PROPERTY CELLKEYS_SKIPPED_TEST_FILES)
  list(REMOVE_DUPLICATES used)
  list(JOIN used "\n" used)
  list(JOIN skipped "\n" skipped)
  file(WRITE ${PROJECT_BINARY_DIR}/tests/used_test_files.txt "${used}\n")
  file(WRITE ${PROJECT_BINARY_DIR}/tests/skipped_test_files.txt "${skipped}\n")
  add_test(NAME tests.every_test_file_is_used
    COMMAND ${CMAKE_COMMAND} -DTESTS=${PROJECT_SOURCE_DIR}/tests
      -DUSED=${PROJECT_BINARY_DIR}/tests/used_test_files.txt
      -DSKIPPED=${PROJECT_BINARY_DIR}/tests/skipped_test_files.txt
      -P ${PROJECT_SOURCE_DIR}/cmake/check_test_files.cmake)
endfunction()
