# Checks the static archive's object modules against the expected lists:
# every module is listed, every listed module is present, and each defines
# exactly its listed external symbols (its routine, plus data records such
# as ck_tables where the list says so).  Weak and common symbols count too;
# only the symbols AddressSanitizer adds beside globals are left out.
#
#   cmake -DNM=<nm> -DAR=<ar> -DARCHIVE=<libcellkeys.a> "-DLISTS=<a.txt;b.txt>" -P check_symbols.cmake
#
# A list file names one module per line: the module's routine first, then
# any further symbols of the same module; "#" starts a comment.  Lists that
# do not exist yet are skipped, so the modules of a folder without a list
# show up as unexpected.
cmake_policy(VERSION 3.25)
foreach(v NM AR ARCHIVE LISTS)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "check_symbols: ${v} not given")
  endif()
endforeach()

set(expected_modules)
foreach(list_file ${LISTS})
  if(NOT EXISTS "${list_file}")
    message(STATUS "no symbol list ${list_file}: skipped")
    continue()
  endif()
  file(STRINGS "${list_file}" lines)
  foreach(line ${lines})
    string(REGEX REPLACE "#.*" "" line "${line}")
    string(STRIP "${line}" line)
    if(line STREQUAL "")
      continue()
    endif()
    string(REGEX REPLACE "[ \t]+" ";" words "${line}")
    list(GET words 0 module)
    if(module IN_LIST expected_modules)
      message(SEND_ERROR "module ${module} listed twice")
    endif()
    list(APPEND expected_modules ${module})
    list(SORT words)
    set(expect_${module} "${words}")
  endforeach()
endforeach()

execute_process(COMMAND ${AR} t ${ARCHIVE} OUTPUT_VARIABLE members RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${AR} t ${ARCHIVE} failed")
endif()
string(REGEX REPLACE "\n$" "" members "${members}")
string(REPLACE "\n" ";" members "${members}")

execute_process(COMMAND ${NM} -A -g --defined-only ${ARCHIVE}
  OUTPUT_VARIABLE nm_out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${NM} ${ARCHIVE} failed")
endif()
string(REPLACE "\n" ";" nm_lines "${nm_out}")

set(failures 0)
set(seen_modules)
foreach(member ${members})
  string(REGEX REPLACE "\\.(cpp|c|cc|f90|F90)\\.o$|\\.o$" "" module "${member}")
  if(module IN_LIST seen_modules)
    message(SEND_ERROR "two archive members for module ${module}")
    math(EXPR failures "${failures} + 1")
  endif()
  list(APPEND seen_modules ${module})
  set(defined)
  foreach(l ${nm_lines})
    # archive:member:address type name
    if(l MATCHES "^.*:([^:]+):[0-9a-fA-F]* +([A-Za-z]) +(.+)$" AND CMAKE_MATCH_1 STREQUAL member)
      set(symbol "${CMAKE_MATCH_3}")
      # AddressSanitizer adds an __odr_asan symbol beside every global.
      if(NOT symbol MATCHES "^__odr_asan")
        list(APPEND defined ${symbol})
      endif()
    endif()
  endforeach()
  list(SORT defined)
  if(NOT module IN_LIST expected_modules)
    message(SEND_ERROR "unexpected module ${member}, defining: ${defined}")
    math(EXPR failures "${failures} + 1")
  elseif(NOT "${defined}" STREQUAL "${expect_${module}}")
    message(SEND_ERROR "${member} defines [${defined}], expected [${expect_${module}}]")
    math(EXPR failures "${failures} + 1")
  endif()
endforeach()
foreach(module ${expected_modules})
  if(NOT module IN_LIST seen_modules)
    message(SEND_ERROR "module ${module} missing from the archive")
    math(EXPR failures "${failures} + 1")
  endif()
endforeach()
list(LENGTH seen_modules n)
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} symbol mismatch(es) in ${ARCHIVE}")
endif()
message(STATUS "${n} modules, each defining exactly its expected symbols")
