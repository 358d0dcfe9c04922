# Runs `kvaril --info` as a user would: on a good document, a damaged one and a missing one.
set(data ${CMAKE_CURRENT_LIST_DIR}/../data)

execute_process(COMMAND ${KVARIL} --info ${data}/minimal.sig
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "Число квантов: 1000" OR NOT out MATCHES "1\\. A \\(строк: 2\\)")
  message(FATAL_ERROR "good document: rc=${rc}\n${out}\n${err}")
endif()

file(WRITE ${WORK}/damaged.sig "")
execute_process(COMMAND ${KVARIL} --info ${data}/minimal.sig.missing
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT err MATCHES "^Файл: .*minimal.sig.missing\nCannot open file")
  message(FATAL_ERROR "missing document: rc=${rc}\n${err}")
endif()

execute_process(COMMAND ${KVARIL} --info ${WORK}/damaged.sig
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT err MATCHES "Stream read error")
  message(FATAL_ERROR "empty document: rc=${rc}\n${err}")
endif()

execute_process(COMMAND ${KVARIL} --bogus RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 2 OR NOT err MATCHES "--info")
  message(FATAL_ERROR "unknown option: rc=${rc}\n${err}")
endif()
