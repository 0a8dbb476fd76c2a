# cmake -DORVHOST=path -DCASE_DIR=dir -DSOURCE_DIR=dir -DWORK_DIR=dir -P run_case.cmake
# Runs the case's job (the file named in CASE_DIR/job, relative to
# SOURCE_DIR) from SOURCE_DIR and compares the log and the exit status.
# An optional CASE_DIR/args file holds orvhost arguments to put before the
# job, one per line (blank lines are skipped); an optional CASE_DIR/env file
# holds NAME=value lines that the run gets in its environment.
# With a directory CASE_DIR/expected the library OUT is assigned to a fresh
# WORK_DIR/out, and after the run every file of CASE_DIR/expected (data
# sets as member.csv and member.meta.json) must be there with the same
# text, and no other file.
file(READ ${CASE_DIR}/job job)
string(STRIP "${job}" job)
set(args "")
if(EXISTS ${CASE_DIR}/args)
  file(STRINGS ${CASE_DIR}/args args)
endif()
set(env "")
if(EXISTS ${CASE_DIR}/env)
  file(STRINGS ${CASE_DIR}/env env)
endif()
set(out_dir ${WORK_DIR}/out)
if(IS_DIRECTORY ${CASE_DIR}/expected)
  file(REMOVE_RECURSE ${out_dir})
  file(MAKE_DIRECTORY ${out_dir})
  list(PREPEND args --lib out=${out_dir})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env ${env} ${ORVHOST} ${args} ${job}
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
if(IS_DIRECTORY ${CASE_DIR}/expected)
  file(GLOB expected_files RELATIVE ${CASE_DIR}/expected ${CASE_DIR}/expected/*)
  file(GLOB written_files RELATIVE ${out_dir} ${out_dir}/*)
  list(SORT expected_files)
  list(SORT written_files)
  if(NOT expected_files STREQUAL written_files)
    message(FATAL_ERROR "outputs ${written_files}, expected ${expected_files}")
  endif()
  foreach(name ${expected_files})
    file(READ ${CASE_DIR}/expected/${name} expected_text)
    file(READ ${out_dir}/${name} written_text)
    if(NOT written_text STREQUAL expected_text)
      message(FATAL_ERROR "${name} differs from ${CASE_DIR}/expected/${name}:\n--- got ---\n${written_text}")
    endif()
  endforeach()
endif()
