# Runs midi-dump on FILE and checks that it fails as a rejected file should:
# exit code 1, standard error matching REASON, nothing on standard output,
# and, with MISSING set, no file created by trying to open it. A relative
# FILE is taken in WORKDIR (default: the current directory).
if(NOT WORKDIR)
  set(WORKDIR ${CMAKE_CURRENT_BINARY_DIR})
endif()
execute_process(COMMAND ${DUMP} ${FILE} WORKING_DIRECTORY ${WORKDIR}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
if(NOT rc EQUAL 1)
  message(FATAL_ERROR "exit code ${rc}, expected 1; stderr: ${err}")
endif()
if(NOT err MATCHES "${REASON}")
  message(FATAL_ERROR "standard error does not match '${REASON}': '${err}'")
endif()
if(NOT out STREQUAL "")
  message(FATAL_ERROR "unexpected output: '${out}'")
endif()
cmake_path(ABSOLUTE_PATH FILE BASE_DIRECTORY ${WORKDIR} OUTPUT_VARIABLE absolute)
if(MISSING AND EXISTS ${absolute})
  message(FATAL_ERROR "opening a missing file created it")
endif()
