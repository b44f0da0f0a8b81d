cmake_minimum_required(VERSION 3.25)

# The run under an address space that leaves it a few MB more than the program needs to
# start: not enough, so it ends with the message of exit status 2 and leaves nothing behind.
#
#   BIN      the program
#   SCRIPT   with_memory_limit.sh
#   WORK     a folder for the register
#   KIND     names: 30 stands with names of 900,000 characters on one thread (their
#            reading fills the bytes in flight), for want of memory; threads: the default
#            stand on 64 threads, whose stacks take 16 MB, for want of threads; spread: a
#            spread of 100,000 runs (7 MB), for want of memory, which is not the stand's
#            fault and so no row's message

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
if(KIND STREQUAL "names")
  string(REPEAT "x" 900000 name)
  string(REPEAT "${name};250\n" 30 body)
  file(WRITE "${WORK}/stands.csv" "bestand;totaltid\n${body}")
  set(run --threads 1 --cycles cycles.csv --output out.txt stands.csv)
  set(reason "Minnet räckte inte till, så körningen avbröts.")
  set(margin 8192)
elseif(KIND STREQUAL "spread")
  file(WRITE "${WORK}/stands.csv" "totaltid\n20\n")
  set(run --threads 1 --spread spread.csv --runs 100000 --output out.txt stands.csv)
  set(reason "Minnet räckte inte till, så körningen avbröts.")
  set(margin 2048)
else()
  file(WRITE "${WORK}/stands.csv" "totaltid\n250\n")
  set(run --threads 64 --output out.txt stands.csv)
  set(margin 8192)
  set(reason "Systemet gav inte körningen de trådar eller det minne den behöver, så den avbröts.")
endif()

execute_process(
  COMMAND sh "${SCRIPT}" ${margin} "${BIN}" ${run}
  WORKING_DIRECTORY "${WORK}"
  RESULT_VARIABLE status
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
if(status EQUAL 99)
  message("the limits cannot be set here: skipped")
  cmake_language(EXIT 77)
endif()
set(expected "lodra05-batch: ${reason}\n")
if(NOT status EQUAL 2 OR NOT out STREQUAL "" OR NOT err STREQUAL expected)
  message(FATAL_ERROR "exit status ${status}, standard output \"${out}\", standard error \"${err}\"")
endif()
file(GLOB left RELATIVE "${WORK}" "${WORK}/*" "${WORK}/.*")
if(NOT left STREQUAL "stands.csv")
  message(FATAL_ERROR "left in the folder: ${left}")
endif()
file(REMOVE_RECURSE "${WORK}")
