# cmake -DORVHOST=path -DCASE_DIR=dir -DSOURCE_DIR=dir -P run_case.cmake
# Runs the case's job (the file named in CASE_DIR/job, relative to
# SOURCE_DIR) from SOURCE_DIR and compares the log and the exit status.
# An optional CASE_DIR/args file holds orvhost arguments to put before the
# job, one per line (blank lines are skipped).
file(READ ${CASE_DIR}/job job)
string(STRIP "${job}" job)
set(args "")
if(EXISTS ${CASE_DIR}/args)
  file(STRINGS ${CASE_DIR}/args args)
endif()
execute_process(COMMAND ${ORVHOST} ${args} ${job}
  WORKING_DIRECTORY ${SOURCE_DIR}
  OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE status)
file(READ ${CASE_DIR}/expected.log expected_log)
file(READ ${CASE_DIR}/expected.exit expected_status)
string(STRIP "${expected_status}" expected_status)
if(NOT log STREQUAL expected_log)
  message(FATAL_ERROR "log differs from ${CASE_DIR}/expected.log:\n--- got ---\n${log}")
endif()
if(NOT status STREQUAL expected_status)
  message(FATAL_ERROR "exit status ${status}, expected ${expected_status}")
endif()
