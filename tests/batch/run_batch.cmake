# Runs lodra05-batch once (or twice) in a fresh folder and checks, byte for byte, what it
# prints and what it leaves there.
#
#   BIN         the program
#   WORK        the folder to run in; emptied first. Its spool files go to WORK.tmp.
#   LOCALE      LC_ALL for the run (default C.UTF-8)
#   COPY        files copied into WORK first                       (| separated)
#   TOUCH       empty files created in WORK first                  (| separated)
#   PREFIX      command put before the program, e.g. a limit       (| separated)
#   ARGS        the program's arguments                            (| separated)
#   RC          expected exit status
#   STDOUT      file with the expected standard output; STDOUT_TEXT: the text itself,
#               with @WORK@ for the folder and \n for line breaks; neither: empty
#   STDERR      file with the expected standard error; STDERR_TEXT: the text itself, as
#               STDOUT_TEXT; neither: empty
#   CHECK       name=expected pairs: a file of WORK compared with cmp (| separated)
#   LISTING     every name WORK must hold afterwards, sorted        (| separated)
#   ARGS2, RC2, STDOUT_TEXT2, CHECK2, LISTING2: a second run in the same folder, when ARGS2
#               is set

cmake_minimum_required(VERSION 3.25)

foreach(var BIN WORK RC)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_batch.cmake needs -D${var}=...")
  endif()
endforeach()
if(NOT DEFINED LOCALE)
  set(LOCALE C.UTF-8)
endif()

function(split out text)
  string(REPLACE "|" ";" list "${text}")
  set(${out} "${list}" PARENT_SCOPE)
endfunction()

function(fail what)
  message(FATAL_ERROR "${what}")
endfunction()

function(same_bytes actual expected what)
  execute_process(COMMAND cmp "${actual}" "${expected}" RESULT_VARIABLE differ
                  OUTPUT_VARIABLE cmp_out ERROR_VARIABLE cmp_out)
  if(NOT differ EQUAL 0)
    file(READ "${actual}" shown)
    fail("${what} differs from ${expected}: ${cmp_out}\n--- got:\n${shown}")
  endif()
endfunction()

function(expect_text actual text what)
  string(REPLACE "@WORK@" "${WORK}" text "${text}")
  string(REPLACE "\\n" "\n" text "${text}")
  file(WRITE "${WORK}.expected" "${text}")
  same_bytes("${actual}" "${WORK}.expected" "${what}")
endfunction()

function(check_listing names)
  split(expected "${names}")
  file(GLOB entries RELATIVE "${WORK}" "${WORK}/*" "${WORK}/.*")
  list(SORT entries)
  list(SORT expected)
  if(NOT "${entries}" STREQUAL "${expected}")
    fail("${WORK} holds [${entries}], expected [${expected}]")
  endif()
  file(GLOB spool "${WORK}.tmp/*")
  if(spool)
    fail("spool files left behind: ${spool}")
  endif()
endfunction()

function(run_once args rc)
  split(arg_list "${args}")
  split(prefix "${PREFIX}")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env LC_ALL=${LOCALE} TMPDIR=${WORK}.tmp
            ${prefix} "${BIN}" ${arg_list}
    WORKING_DIRECTORY "${WORK}"
    OUTPUT_FILE "${WORK}.stdout"
    ERROR_FILE "${WORK}.stderr"
    RESULT_VARIABLE status)
  if(NOT status STREQUAL "${rc}")
    file(READ "${WORK}.stderr" err)
    fail("exit status ${status}, expected ${rc}\n--- stderr:\n${err}")
  endif()
endfunction()

file(REMOVE_RECURSE "${WORK}" "${WORK}.tmp")
file(MAKE_DIRECTORY "${WORK}" "${WORK}.tmp")
split(copy "${COPY}")
foreach(f IN LISTS copy)
  file(COPY "${f}" DESTINATION "${WORK}")
endforeach()
split(touch "${TOUCH}")
foreach(f IN LISTS touch)
  file(TOUCH "${WORK}/${f}")
endforeach()

run_once("${ARGS}" "${RC}")
if(DEFINED STDOUT)
  same_bytes("${WORK}.stdout" "${STDOUT}" "standard output")
elseif(DEFINED STDOUT_TEXT)
  expect_text("${WORK}.stdout" "${STDOUT_TEXT}" "standard output")
else()
  expect_text("${WORK}.stdout" "" "standard output")
endif()
if(DEFINED STDERR)
  same_bytes("${WORK}.stderr" "${STDERR}" "standard error")
elseif(DEFINED STDERR_TEXT)
  expect_text("${WORK}.stderr" "${STDERR_TEXT}" "standard error")
else()
  expect_text("${WORK}.stderr" "" "standard error")
endif()
function(check_files pairs)
  split(checks "${pairs}")
  foreach(pair IN LISTS checks)
    string(REGEX MATCH "^([^=]+)=(.*)$" unused "${pair}")
    if(NOT EXISTS "${WORK}/${CMAKE_MATCH_1}")
      fail("${CMAKE_MATCH_1} was not written")
    endif()
    same_bytes("${WORK}/${CMAKE_MATCH_1}" "${CMAKE_MATCH_2}" "${CMAKE_MATCH_1}")
  endforeach()
endfunction()
check_files("${CHECK}")
if(DEFINED LISTING)
  check_listing("${LISTING}")
endif()

if(DEFINED ARGS2)
  run_once("${ARGS2}" "${RC2}")
  expect_text("${WORK}.stdout" "${STDOUT_TEXT2}" "standard output of the second run")
  check_files("${CHECK2}")
  check_listing("${LISTING2}")
endif()
