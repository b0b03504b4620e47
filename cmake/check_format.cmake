# Fails unless every C and C++ file that git tracks under SOURCE_DIR is laid
# out as clang-format (CLANG_FORMAT) lays it out by the nearest .clang-format
# file; a file or region opts out with "// clang-format off".  Says why and
# counts as skipped where clang-format or git is missing.
cmake_minimum_required(VERSION 3.25)
if(NOT CLANG_FORMAT)
  message("clang-format check skipped: clang-format was not found when configuring")
  return()
endif()
find_program(GIT git)
if(NOT GIT OR NOT EXISTS ${SOURCE_DIR}/.git)
  message("clang-format check skipped: not a git checkout, so there is no list of tracked files")
  return()
endif()
execute_process(COMMAND ${GIT} -C ${SOURCE_DIR} ls-files -- *.c *.h *.cpp *.hpp
  OUTPUT_VARIABLE files RESULT_VARIABLE status OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "git ls-files failed with status ${status}")
endif()
string(REPLACE "\n" ";" files "${files}")
execute_process(COMMAND ${CLANG_FORMAT} --dry-run -Werror ${files}
  WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "files differ from their clang-format layout; run clang-format -i on them")
endif()
list(LENGTH files count)
message("${count} files as clang-format lays them out")
