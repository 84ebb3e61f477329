# Analyses the sample documents with the starter service files and checks that the citations of
# both bases are found: every sample keeps its existing tags of both kinds and gets new tags of
# both kinds, and every new tag names a document the bases hold.
#
#   cmake -DCLI=<telvarion-cli> -DDATA_DIR=<folder of the service files> -DSAMPLES=<a;b;c> -P check_samples.cmake

cmake_minimum_required(VERSION 3.25)

execute_process(
  COMMAND ${CLI_EMULATOR} "${CLI}" analyse --json --data-dir "${DATA_DIR}" ${SAMPLES}
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "telvarion-cli analyse failed (${rc}):\n${out}\n${err}")
endif()

# The numbers in base of both documents dictionaries, from their readable dumps.
foreach(kind orvo local)
  execute_process(
    COMMAND ${CLI_EMULATOR} "${CLI}" dump ${kind} --data-dir "${DATA_DIR}"
    RESULT_VARIABLE rc
    OUTPUT_VARIABLE dump)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "telvarion-cli dump ${kind} failed")
  endif()
  string(REGEX MATCHALL "Номер в базе: [0-9]+" lines "${dump}")
  string(REPLACE "Номер в базе: " "" known_${kind} "${lines}")
endforeach()

string(REPLACE "\n" ";" reports "${out}")
set(files 0)
set(failures "")
foreach(report IN LISTS reports)
  if(report STREQUAL "")
    continue()
  endif()
  math(EXPR files "${files} + 1")
  string(JSON file GET "${report}" file)
  foreach(kind orvo local)
    foreach(counter suspicious placed existing)
      string(JSON n GET "${report}" ${kind} ${counter})
      if(n LESS 1)
        string(APPEND failures "${file}: ${kind} ${counter} is ${n}\n")
      endif()
    endforeach()
  endforeach()
  string(JSON ntags LENGTH "${report}" tags)
  if(ntags GREATER 0)
    math(EXPR last "${ntags} - 1")
    foreach(k RANGE ${last})
      string(JSON kind GET "${report}" tags ${k} kind)
      string(JSON number GET "${report}" tags ${k} number)
      if(NOT number IN_LIST known_${kind})
        string(APPEND failures "${file}: a ${kind} tag to ${number}, which the base does not hold\n")
      endif()
    endforeach()
  endif()
endforeach()

list(LENGTH SAMPLES expected_files)
if(NOT files EQUAL expected_files)
  string(APPEND failures "${files} reports for ${expected_files} samples\n")
endif()
if(NOT failures STREQUAL "")
  message(FATAL_ERROR "${failures}${out}")
endif()
