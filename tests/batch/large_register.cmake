cmake_minimum_required(VERSION 3.25)

# A register of default-like stands: the run must succeed in bounded memory and in
# reasonable time. Measured with /usr/bin/time; without it the test is skipped (exit 77).
#
#   BIN      the program
#   WORK     a folder for the register and the result
#   STANDS   how many stands, a multiple of 10
#   MAX_KB   the bound on the peak resident set in kB; empty: not checked (sanitizers)
#   KIND     default: default-like stands, one result; cycles: stands of the longest
#            horizon and the largest ring, every cycle on THREADS threads (default 16);
#            zeros: a bonitet of 900,000 zeros in every row, on 2 threads; name: one such
#            stand named with 150,000 characters, its cycles (the name in each of 6,554
#            rows); spread: stands whose 100,000 runs each vary and fell, on 64 threads;
#            tables: default-like stands, every table, on THREADS threads

if(NOT EXISTS /usr/bin/time)
  message("/usr/bin/time is not installed: skipped")
  cmake_language(EXIT 77)
endif()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
if(NOT DEFINED THREADS)
  set(THREADS 16)
endif()
if(KIND STREQUAL "cycles")
  string(REPEAT "32767;100;2\n" ${STANDS} body)
  file(WRITE "${WORK}/stands.csv" "totaltid;maxRing;ranta\n${body}")
  set(run --threads ${THREADS} --seed 1 --cycles cycles.csv --output out.txt stands.csv)
elseif(KIND STREQUAL "name")
  # The cycles file takes 1 GB for a moment: without 2 GB free the test is skipped.
  execute_process(COMMAND df --output=avail -k "${WORK}" OUTPUT_VARIABLE free)
  string(REGEX MATCH "[0-9]+" free "${free}")
  if(free LESS 2097152)
    message(STATUS "Skipped: ${free} kB free in ${WORK}, 2 GB needed")
    cmake_language(EXIT 77)
  endif()
  string(REPEAT "x" 150000 name)
  string(REPEAT "${name};32767;100;2\n" ${STANDS} body)
  file(WRITE "${WORK}/stands.csv" "bestand;totaltid;maxRing;ranta\n${body}")
  set(run --seed 1 --cycles cycles.csv --output out.txt stands.csv)
elseif(KIND STREQUAL "spread")
  string(REPEAT "20;10\n" ${STANDS} body)
  file(WRITE "${WORK}/stands.csv" "totaltid;variation\n${body}")
  set(run --threads 64 --seed 1 --spread spread.csv --runs 100000 --output out.txt stands.csv)
elseif(KIND STREQUAL "zeros")
  string(REPEAT "0" 900000 zeros)
  string(REPEAT "250;${zeros}\n" ${STANDS} body)
  file(WRITE "${WORK}/stands.csv" "totaltid;bonitet\n${body}")
  set(run --threads 2 --output out.txt stands.csv)
else()
  set(block "")
  foreach(i RANGE 0 9)
    math(EXPR rate "2 + ${i} % 4")
    math(EXPR index "35 + ${i}")
    string(SUBSTRING "${index}" 0 1 whole)
    string(SUBSTRING "${index}" 1 1 tenth)
    math(EXPR kind "${i} % 3")
    string(APPEND block "250;${whole}.${tenth};50;${rate};${kind};45;x;35;;1;1\r\n")
  endforeach()
  string(REPLACE ";0;45" ";Tall;45" block "${block}")
  string(REPLACE ";1;45" ";Gran;45" block "${block}")
  string(REPLACE ";2;45" ";Löv;45" block "${block}")
  math(EXPR blocks "${STANDS} / 10")
  string(REPEAT "${block}" ${blocks} body)
  file(WRITE "${WORK}/stands.csv"
    "totaltid;bonitet;areal;ranta;tradslag;dia1;avv1;dia2;avv2;dia3;dia4\r\n${body}")
  if(KIND STREQUAL "tables")
    set(run --threads ${THREADS} --seed 1 --table t.csv --cycles c.csv --compare k.csv
            --measures m.csv --spread s.csv --runs 10 --output out.txt stands.csv)
  else()
    set(run --output out.txt stands.csv)
  endif()
endif()

execute_process(
  COMMAND /usr/bin/time -f "%M %e" "${BIN}" ${run}
  WORKING_DIRECTORY "${WORK}"
  RESULT_VARIABLE status
  ERROR_VARIABLE measured
  ERROR_STRIP_TRAILING_WHITESPACE)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "exit status ${status}: ${measured}")
endif()
if(NOT measured MATCHES "^([0-9]+) ([0-9.]+)$")
  message(FATAL_ERROR "unexpected standard error: ${measured}")
endif()
set(kilobytes ${CMAKE_MATCH_1})
set(seconds ${CMAKE_MATCH_2})
file(SIZE "${WORK}/out.txt" bytes)
if(KIND STREQUAL "name")
  # Every cycle row carries the whole name.
  file(SIZE "${WORK}/cycles.csv" cycle_bytes)
  math(EXPR least "${STANDS} * 6554 * 150000")
  if(cycle_bytes LESS least)
    message(FATAL_ERROR "the cycle table has ${cycle_bytes} bytes, fewer than ${least}")
  endif()
endif()
message("${STANDS} stands (${KIND}): ${seconds} s, peak resident ${kilobytes} kB, ${bytes} bytes saved")
if(NOT MAX_KB STREQUAL "" AND kilobytes GREATER_EQUAL MAX_KB)
  message(FATAL_ERROR "peak resident memory ${kilobytes} kB is not under ${MAX_KB} kB")
endif()
# Generous against a busy machine; the benchmark tells the real time.
if(seconds GREATER 90)
  message(FATAL_ERROR "took ${seconds} s")
endif()
file(REMOVE_RECURSE "${WORK}")
