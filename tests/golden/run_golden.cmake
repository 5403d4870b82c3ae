# Runs the host tool on one golden case and compares its transcript (standard
# output and the reader's diagnostic lines, merged in order) with expected.txt.
#   cmake -DTOOL=... -DLIB=... -DCASE=<case folder> [-DEMULATOR=wine] [-DUPDATE=1]
#         [-DEXTRA_ARGS="--preload ../other/inputs.in"] -P run_golden.cmake
# EXTRA_ARGS are options that must not change the transcript.
# The case folder is ".": paths the reader prints as ".\\name" on Windows are
# shown as "./name", so that one transcript serves every platform.
set(args "")
if(EXISTS "${CASE}/args")
  file(READ "${CASE}/args" args)
  string(STRIP "${args}" args)
  separate_arguments(args UNIX_COMMAND "${args}")
endif()
if(EXTRA_ARGS)
  separate_arguments(extra UNIX_COMMAND "${EXTRA_ARGS}")
  list(APPEND args ${extra})
endif()
set(command ${TOOL} ${args} ${LIB} inputs.in)
if(EMULATOR)
  set(command ${EMULATOR} ${command})
  set(ENV{WINEDEBUG} "-all")
endif()
execute_process(COMMAND ${command} WORKING_DIRECTORY "${CASE}"
  OUTPUT_VARIABLE transcript ERROR_VARIABLE transcript RESULT_VARIABLE status)
# Under Wine a program now and then fails to start at all: no word on either
# stream and a failed status. Such a run is made once more; the tool always
# prints its first line, so a real failure still shows.
if(EMULATOR AND transcript STREQUAL "" AND NOT status EQUAL 0)
  execute_process(COMMAND ${command} WORKING_DIRECTORY "${CASE}"
    OUTPUT_VARIABLE transcript ERROR_VARIABLE transcript RESULT_VARIABLE status)
endif()
string(REPLACE ".\\" "./" transcript "${transcript}")
string(REPLACE "\r\n" "\n" transcript "${transcript}")
set(transcript "${transcript}exit status: ${status}\n")
if(UPDATE)
  file(WRITE "${CASE}/expected.txt" "${transcript}")
  return()
endif()
file(READ "${CASE}/expected.txt" expected)
if(NOT transcript STREQUAL expected)
  get_filename_component(name "${CASE}" NAME)
  set(actual_file "${CMAKE_CURRENT_BINARY_DIR}/golden-${name}.actual.txt")
  file(WRITE "${actual_file}" "${transcript}")
  execute_process(COMMAND diff -u "${CASE}/expected.txt" "${actual_file}")
  message(FATAL_ERROR "transcript of ${name} differs from expected.txt (actual: ${actual_file})")
endif()
