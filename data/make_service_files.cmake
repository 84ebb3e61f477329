# Builds the starter service files from the readable sources in this folder and puts them beside
# the built programs. Run by the telvarion_data target:
#
#   cmake -DCLI=<telvarion-cli> -DSOURCE_DIR=<data> -DWORK_DIR=<scratch> -DDEST_DIR=<bin> -P make_service_files.cmake
#
# Everything is made in WORK_DIR first; the files reach DEST_DIR only when every step succeeded
# and the imports took every record, each copied to a temporary name and renamed into place.
# Telvarion.dat, .lst and .llc (settings, notepad, recent numbers) are never touched.

cmake_minimum_required(VERSION 3.25)

foreach(var CLI SOURCE_DIR WORK_DIR DEST_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "make_service_files.cmake: ${var} is not set")
  endif()
endforeach()

set(service_files Telvarion.dov Telvarion.orv Telvarion.ttl Telvarion.dlc Telvarion.loc Telvarion.tlc)

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")

# Runs the tool; it must succeed, say "Внесено N записей" with the expected N and say nothing on
# stderr (a record that fails to parse is reported there and skipped, which is a defect here).
function(run_cli expected)
  execute_process(
    COMMAND ${CLI_EMULATOR} "${CLI}" ${ARGN} --data-dir "${WORK_DIR}"
    RESULT_VARIABLE rc
    OUTPUT_VARIABLE out
    ERROR_VARIABLE err)
  string(STRIP "${out}" out)
  if(CLI_EMULATOR)
    # Wine's own notices (the first start in a new prefix creates it and says so) are not the tool's.
    string(REGEX REPLACE "(^|\n)wine: [^\n]*" "" err "${err}")
    string(STRIP "${err}" err)
  endif()
  string(JOIN " " command ${ARGN})
  if(NOT rc EQUAL 0 OR NOT err STREQUAL "")
    message(FATAL_ERROR "telvarion-cli ${command} failed (exit code ${rc}):\n${out}\n${err}")
  endif()
  if(NOT out MATCHES "Внесено ([0-9]+) записей")
    message(FATAL_ERROR "telvarion-cli ${command}: unexpected answer: ${out}")
  endif()
  if(NOT expected STREQUAL "" AND NOT CMAKE_MATCH_1 EQUAL expected)
    message(FATAL_ERROR "telvarion-cli ${command}: ${CMAKE_MATCH_1} records taken, the file has ${expected}")
  endif()
endfunction()

# The records of a list file: each one ends with a line "$$".
function(count_records file out_var)
  file(READ "${file}" content)
  string(REGEX MATCHALL "\n\\$\\$\r?\n" ends "${content}")
  list(LENGTH ends n)
  set(${out_var} ${n} PARENT_SCOPE)
endfunction()

count_records("${SOURCE_DIR}/orvo-base.lst" orvo_records)
count_records("${SOURCE_DIR}/local-base.lst" local_records)
run_cli(${orvo_records} import-orvo --windows "${SOURCE_DIR}/orvo-base.lst")
run_cli(${local_records} import-local --dos "${SOURCE_DIR}/local-base.lst")
run_cli("" dict keywords load "${SOURCE_DIR}/orvo-keywords.txt")
run_cli("" dict orvo-types load "${SOURCE_DIR}/orvo-types.txt")
run_cli("" dict orvo-bodies load "${SOURCE_DIR}/orvo-bodies.txt")
run_cli("" dict local-types load "${SOURCE_DIR}/local-types.txt")
run_cli("" dict local-bodies load "${SOURCE_DIR}/local-bodies.txt")

foreach(name IN LISTS service_files)
  if(NOT EXISTS "${WORK_DIR}/${name}")
    message(FATAL_ERROR "make_service_files.cmake: ${name} was not made")
  endif()
endforeach()
foreach(name IN LISTS service_files)
  file(COPY_FILE "${WORK_DIR}/${name}" "${DEST_DIR}/${name}.new")
endforeach()
foreach(name IN LISTS service_files)
  file(RENAME "${DEST_DIR}/${name}.new" "${DEST_DIR}/${name}")
endforeach()
file(REMOVE_RECURSE "${WORK_DIR}")
message(STATUS "Starter service files: Orvo base ${orvo_records} documents, local base ${local_records} documents")
