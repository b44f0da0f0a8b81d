cmake_minimum_required(VERSION 3.25)

# One register run on different numbers of threads: the result, every table, standard
# error and the exit status must be the same bytes every time. The register mixes stands drawing
# random changes (with --seed), rows refused by the reader and by the calculation, stopped
# calculations and blank rows, over more chunks than any number of threads has in flight.
#
#   BIN      the program
#   WORK     a folder for the register and the outputs
#   THREADS  the numbers of threads (| separated); the first run is the one compared with

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
# Fields separated by '|' here, by ';' in the file.
string(CONCAT block
  "250|4|50|3|10||Tall|45|x|35||20|12\n"
  "100|3.5|50|2|25||Gran|30||28||22|9\n"
  "250|abc|50|3|||Tall|45|x|35|||\n"
  "250|4|50|2.5||||45|x|35|||\n"
  "250|4|1e-310|3|||Tall|45||35|||\n"
  "250|4|50|3|||Björk|45||35|||\n"
  "||||||||||||\n"
  "250|4|50|4|5||Löv|1e200||35|||\n"
  "500|4.2|50|5|3|2|Gran|40||30||20|10\n"
  "40|0|50|3|50|1|Tall|2||1||0.5|\n")
string(REPEAT "${block}" 70 body)
set(header "totaltid|bonitet|areal|ranta|variation|cykTillAvv|tradslag|dia1|avv1|dia2|avv2|dia3|dia4")
string(REPLACE "|" ";" register "${header}\n32767|4|50|5||0|Tall|45|x|35|||\n${body}")
file(WRITE "${WORK}/stands.csv" "${register}")

string(REPLACE "|" ";" threads "${THREADS}")
list(GET threads 0 first)
foreach(n IN LISTS threads)
  execute_process(
    COMMAND "${BIN}" --threads ${n} --seed 42 --table table${n}.csv --cycles cycles${n}.csv
            --compare compare${n}.csv --measures measures${n}.csv --spread spread${n}.csv
            --runs 3 --output result${n}.txt stands.csv
    WORKING_DIRECTORY "${WORK}"
    RESULT_VARIABLE status${n}
    OUTPUT_FILE stdout${n}.txt
    ERROR_FILE stderr${n}.txt)
  if(NOT status${n} EQUAL 1)
    message(FATAL_ERROR "--threads ${n}: exit status ${status${n}}, not 1")
  endif()
  foreach(output result.txt table.csv cycles.csv compare.csv measures.csv spread.csv stdout.txt
                 stderr.txt)
    string(REPLACE "." "${n}." actual "${output}")
    string(REPLACE "." "${first}." expected "${output}")
    execute_process(COMMAND cmp "${actual}" "${expected}" WORKING_DIRECTORY "${WORK}"
                    RESULT_VARIABLE differ OUTPUT_VARIABLE said ERROR_VARIABLE said)
    if(NOT differ EQUAL 0)
      message(FATAL_ERROR "--threads ${n} and --threads ${first} differ: ${said}")
    endif()
  endforeach()
endforeach()
file(SIZE "${WORK}/result${first}.txt" bytes)
file(READ "${WORK}/stderr${first}.txt" said)
string(REGEX MATCHALL "(^|\n)Rad [0-9]+" refused "${said}")
list(LENGTH refused refusedCount)
message("${bytes} bytes saved and ${refusedCount} rows refused, the same on ${THREADS} threads")
file(REMOVE_RECURSE "${WORK}")
