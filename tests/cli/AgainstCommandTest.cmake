# `kvaril --run --against`: each example equals its golden run; a changed sample, a file that
# does not fit and a file that cannot be read get their statuses; --reference draws a picture.
foreach(example filters modulation control)
  execute_process(COMMAND ${KVARIL} --run ${PROJECTS}/${example}.sig
                          --against ${GOLDEN}/${example}.csv --tolerance 1e-9
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL "Ok\n")
    message(FATAL_ERROR "${example}: rc=${rc}\n${out}\n${err}")
  endif()
endforeach()

# One sample changed: status 3, the count and the first difference.
file(READ ${GOLDEN}/control.csv text)
string(REPLACE "\n0.0011,0,0,0,0\n" "\n0.0011,0,0,0,0.5\n" changed "${text}")
if(changed STREQUAL text)
  message(FATAL_ERROR "the golden file no longer holds the row this test changes")
endif()
file(WRITE ${WORK}/changed.csv "${changed}")
execute_process(COMMAND ${KVARIL} --run ${PROJECTS}/control.sig --against ${WORK}/changed.csv
                        --csv ${WORK}/control-out.csv
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 3 OR NOT err STREQUAL
   "Отличающихся отсчетов: 1\nСигнал Plant, t = 0.0011: получено 0, ожидалось 0.5\n")
  message(FATAL_ERROR "difference: rc=${rc}\n${out}\n${err}")
endif()
if(NOT EXISTS ${WORK}/control-out.csv)
  message(FATAL_ERROR "--csv was not written beside --against")
endif()
# Within the tolerance it passes.
execute_process(COMMAND ${KVARIL} --run ${PROJECTS}/control.sig --against ${WORK}/changed.csv
                        --tolerance 0.5
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "tolerance: rc=${rc}\n${err}")
endif()

# A golden file of another document, or none at all: status 1 naming the file.
execute_process(COMMAND ${KVARIL} --run ${PROJECTS}/control.sig --against ${GOLDEN}/filters.csv
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT err STREQUAL "Файл ${GOLDEN}/filters.csv: сигнала Sine нет в модели\n")
  message(FATAL_ERROR "other document: rc=${rc}\n${err}")
endif()
execute_process(COMMAND ${KVARIL} --run ${PROJECTS}/control.sig --against ${WORK}/missing.csv
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 1
   OR NOT err STREQUAL "Не удается открыть файл ${WORK}/missing.csv: нет такого файла или папки\n")
  message(FATAL_ERROR "missing file: rc=${rc}\n${err}")
endif()

# Files that are no stored run, each refused with its own reason and status 1.
file(MAKE_DIRECTORY ${WORK}/golden-folder)
file(WRITE ${WORK}/only-t.csv "t\n0\n0.0001\n")
file(READ ${GOLDEN}/control.csv text)
string(REGEX REPLACE "^t,([^,\n]*)," "t,\\1,\\1," doubled "${text}")
string(REGEX MATCH "^t,([^,\n]*)," first "${text}")
set(first ${CMAKE_MATCH_1})
string(REGEX REPLACE "\n([^,\n]*),([^,\n]*)," "\n\\1,\\2,\\2," doubled "${doubled}")
file(WRITE ${WORK}/doubled.csv "${doubled}")
foreach(case
    "${WORK}/golden-folder|Не удается открыть файл ${WORK}/golden-folder: это папка\n"
    "/dev/zero|Не удается открыть файл /dev/zero: это не обычный файл\n"
    "${WORK}/only-t.csv|Файл ${WORK}/only-t.csv: строка 1: в файле нет столбцов сигналов, только t\n"
    "${WORK}/doubled.csv|Файл ${WORK}/doubled.csv: столбец ${first} повторяется: в файле столбцов с этим именем 2, а в модели сигналов 1\n")
  string(FIND "${case}" "|" bar)
  string(SUBSTRING "${case}" 0 ${bar} golden)
  math(EXPR bar "${bar} + 1")
  string(SUBSTRING "${case}" ${bar} -1 expected)
  execute_process(COMMAND ${KVARIL} --run ${PROJECTS}/control.sig --against ${golden}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
  if(NOT rc EQUAL 1 OR NOT err STREQUAL "${expected}")
    message(FATAL_ERROR "golden ${golden}: rc=${rc}\n${err}")
  endif()
endforeach()

# Columns are matched by name: the golden file's columns in the opposite order still pass;
# the values kept in place under each other's names do not.
file(STRINGS ${GOLDEN}/control.csv rows)
set(reversed "")
set(renamed "")
set(header TRUE)
foreach(row IN LISTS rows)
  string(REPLACE "," ";" cells "${row}")
  list(POP_FRONT cells t)
  list(REVERSE cells)
  list(JOIN cells "," tail)
  string(APPEND reversed "${t},${tail}\n")
  if(header)
    string(APPEND renamed "${t},${tail}\n")
    set(header FALSE)
  else()
    string(APPEND renamed "${row}\n")
  endif()
endforeach()
file(WRITE ${WORK}/reversed.csv "${reversed}")
file(WRITE ${WORK}/renamed.csv "${renamed}")
execute_process(COMMAND ${KVARIL} --run ${PROJECTS}/control.sig --against ${WORK}/reversed.csv
                        --tolerance 1e-9
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "Ok\n")
  message(FATAL_ERROR "columns in another order: rc=${rc}\n${err}")
endif()
execute_process(COMMAND ${KVARIL} --run ${PROJECTS}/control.sig --against ${WORK}/renamed.csv
                        --tolerance 1e-9
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 3 OR NOT err MATCHES "^Отличающихся отсчетов: [1-9]")
  message(FATAL_ERROR "columns under each other's names: rc=${rc}\n${err}")
endif()
execute_process(COMMAND ${KVARIL} --run ${PROJECTS}/control.sig --against ${WORK}/changed.csv
                        --tolerance -1
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 1)  # a malformed command line
  message(FATAL_ERROR "negative tolerance accepted: rc=${rc}\n${err}")
endif()
execute_process(COMMAND ${KVARIL} --run ${PROJECTS}/control.sig --tolerance 0.5
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 1)  # a malformed command line
  message(FATAL_ERROR "--tolerance without --against accepted: rc=${rc}\n${err}")
endif()

# The golden values as reference traces in the picture.
file(REMOVE ${WORK}/reference.png)
execute_process(COMMAND ${KVARIL} --run ${PROJECTS}/control.sig --png ${WORK}/reference.png
                        --reference ${WORK}/changed.csv
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT EXISTS ${WORK}/reference.png)
  message(FATAL_ERROR "reference picture: rc=${rc}\n${err}")
endif()
execute_process(COMMAND ${KVARIL} --run ${PROJECTS}/control.sig --reference ${WORK}/changed.csv
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 1)  # a malformed command line
  message(FATAL_ERROR "--reference without --png accepted: rc=${rc}\n${err}")
endif()
