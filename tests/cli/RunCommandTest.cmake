# Runs `kvaril --run` as a user would: an example with CSV output, a compile error, a model that
# never ends under --timeout, and a malformed command line.
set(data ${CMAKE_CURRENT_LIST_DIR}/../data)

execute_process(COMMAND ${KVARIL} --run ${PROJECTS}/filters.sig --csv ${WORK}/filters.csv
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "Ok\n")
  message(FATAL_ERROR "example: rc=${rc}\n${out}\n${err}")
endif()
file(STRINGS ${WORK}/filters.csv rows)
list(LENGTH rows count)
list(GET rows 0 header)
list(GET rows 1 first)
if(NOT count EQUAL 1001 OR NOT header STREQUAL "t,Sine,Noise,Noisy,Average,LowPass"
   OR NOT first MATCHES "^0,0,0\\.0930924290791153")
  message(FATAL_ERROR "csv: ${count} rows\n${header}\n${first}")
endif()

execute_process(COMMAND ${KVARIL} --run ${data}/compile-error.sig
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT err MATCHES "^Ошибка в программе\nИдентификатор 'Freq' не найден\n\\(Error: Identifier not found 'Freq'\\)\nСигнал B, строка 21, позиция 12\n$")
  message(FATAL_ERROR "compile error: rc=${rc}\n${err}")
endif()

execute_process(COMMAND ${KVARIL} --run ${data}/endless.sig --timeout 1
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 2 OR NOT err MATCHES "истекло время")
  message(FATAL_ERROR "timeout: rc=${rc}\n${err}")
endif()

execute_process(COMMAND ${KVARIL} --run ${data}/minimal.sig --timeout soon
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT err MATCHES "Неверное время --timeout: soon")
  message(FATAL_ERROR "bad timeout accepted: rc=${rc}\n${err}")
endif()
