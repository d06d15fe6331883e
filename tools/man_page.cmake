# Writes the manual page of quomtel-batch from the program's own table of options:
# cmake -DPROGRAM=.../quomtel-batch -DOUTPUT=.../quomtel-batch.1 -P man_page.cmake
execute_process(COMMAND "${PROGRAM}" --man-page OUTPUT_FILE "${OUTPUT}.part"
  RESULT_VARIABLE status ERROR_VARIABLE error)
if(NOT status EQUAL 0)
  file(REMOVE "${OUTPUT}.part")
  message(FATAL_ERROR "${PROGRAM} --man-page failed: ${error}")
endif()
file(RENAME "${OUTPUT}.part" "${OUTPUT}")
