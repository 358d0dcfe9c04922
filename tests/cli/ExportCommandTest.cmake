# `kvaril --run` writing samples for other programs: a WAV and a CSV of chosen signals over a
# time range, the rate warning and refusal, and command lines that must write nothing.
include(${CMAKE_CURRENT_LIST_DIR}/Refusal.cmake)

set(data ${CMAKE_CURRENT_LIST_DIR}/../data)
set(out ${WORK}/export)
file(REMOVE_RECURSE ${out})
file(MAKE_DIRECTORY ${out})

# Little-endian unsigned integer of `size` bytes at byte `offset` of a hex dump.
function(read_le hex offset size result)
  set(value 0)
  foreach(i RANGE 1 ${size})
    math(EXPR at "(${offset} + ${size} - ${i}) * 2")
    string(SUBSTRING "${hex}" ${at} 2 byte)
    math(EXPR value "${value} * 256 + 0x${byte}")
  endforeach()
  set(${result} ${value} PARENT_SCOPE)
endfunction()

# The channels, rate and frame count of a 32-bit float WAV, from its chunks.
function(read_wav path)
  file(READ ${path} hex HEX)
  string(SUBSTRING "${hex}" 0 24 riff)
  if(NOT riff MATCHES "^52494646........57415645$")
    message(FATAL_ERROR "${path}: no RIFF WAVE header: ${riff}")
  endif()
  string(FIND "${hex}" "666d7420" fmt)     # "fmt "
  string(FIND "${hex}" "64617461" chunk)   # "data"
  math(EXPR fmt "${fmt} / 2")
  math(EXPR chunk "${chunk} / 2")
  read_le("${hex}" "${fmt} + 8" 2 format)
  read_le("${hex}" "${fmt} + 10" 2 channels)
  read_le("${hex}" "${fmt} + 12" 4 rate)
  read_le("${hex}" "${fmt} + 22" 2 bits)
  read_le("${hex}" "${chunk} + 4" 4 bytes)
  if(NOT format EQUAL 3 OR NOT bits EQUAL 32)
    message(FATAL_ERROR "${path}: format ${format}, ${bits} bits: not 32-bit float")
  endif()
  math(EXPR frames "${bytes} / (4 * ${channels})")
  set(wav_channels ${channels} PARENT_SCOPE)
  set(wav_rate ${rate} PARENT_SCOPE)
  set(wav_frames ${frames} PARENT_SCOPE)
endfunction()

# Chosen signals over [0.01, 0.02] s: quanta 100 to 200 of 0.0001 s.
execute_process(COMMAND ${KVARIL} --run ${PROJECTS}/filters.sig --wav ${out}/part.wav
                        --csv ${out}/part.csv --signals LowPass,Sine --from 0.01 --to 0.02
                RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE err)
# Another test's run may hold the model folder: the wait it reports is no warning of this one.
string(REPLACE "Ожидание: папку модели занимает другой запуск...\n" "" err "${err}")
if(NOT rc EQUAL 0 OR NOT stdout STREQUAL "Ok\n" OR NOT err STREQUAL "")
  message(FATAL_ERROR "range export: rc=${rc}\n${stdout}\n${err}")
endif()
read_wav(${out}/part.wav)
if(NOT wav_channels EQUAL 2 OR NOT wav_rate EQUAL 10000 OR NOT wav_frames EQUAL 101)
  message(FATAL_ERROR "wav: ${wav_channels} channels, ${wav_rate} Hz, ${wav_frames} frames")
endif()
file(STRINGS ${out}/part.csv rows)
list(LENGTH rows count)
list(GET rows 0 header)
list(GET rows 1 first)
list(GET rows -1 last)
if(NOT count EQUAL 102 OR NOT header STREQUAL "t,Sine,LowPass" OR NOT first MATCHES "^0\\.01,"
   OR NOT last MATCHES "^0\\.02,")
  message(FATAL_ERROR "csv: ${count} rows\n${header}\n${first}\n${last}")
endif()

# Every signal, the whole run, at a rate that is no whole number of hertz: written, with a word.
execute_process(COMMAND ${KVARIL} --run ${data}/inexact-rate.sig --wav ${out}/inexact.wav
                RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT err MATCHES "^Внимание! Частота .*43478 Гц")
  message(FATAL_ERROR "inexact rate: rc=${rc}\n${err}")
endif()
read_wav(${out}/inexact.wav)
if(NOT wav_channels EQUAL 5 OR NOT wav_rate EQUAL 43478 OR NOT wav_frames EQUAL 1000)
  message(FATAL_ERROR "inexact wav: ${wav_channels} channels, ${wav_rate} Hz, ${wav_frames}")
endif()

# Command lines refused before anything runs or is written: status 1 and the reason.
set(refusals
  "--signals Sine,Nope|нет сигнала \"Nope\""
  "--from 0.05 --to 0.01|позже его конца"
  "--from 1 --to 2|нет отсчетов"
  "--from 1|В интервале от 1 с до конца нет отсчетов: отсчеты модели идут от 0 до 0.0999 с через 0.0001 с"
  "--signals Sine,LowPass,Sine|Сигнал \"Sine\" назван в списке дважды"
  "--from soon|Неверное время --from"
  "--signals A,,B|Неверный список сигналов"
  "--to|Нет значения у параметра --to"
  "--bogus 1|Неизвестный параметр --bogus"
  "--size 10x10|только с --png")
foreach(refusal ${refusals})
  split_refusal("${refusal}" parts expected)
  execute_process(COMMAND ${KVARIL} --run ${PROJECTS}/filters.sig --wav ${out}/bad.wav
                          --csv ${out}/bad.csv ${parts}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE err)
  if(NOT rc EQUAL 1 OR NOT err MATCHES "${expected}" OR EXISTS ${out}/bad.wav
     OR EXISTS ${out}/bad.csv)
    message(FATAL_ERROR "${parts}: rc=${rc}\n${err}")
  endif()
endforeach()

execute_process(COMMAND ${KVARIL} --run ${data}/slow-rate.sig --wav ${out}/slow.wav
                RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT err MATCHES "в WAV не записать" OR EXISTS ${out}/slow.wav)
  message(FATAL_ERROR "slow rate: rc=${rc}\n${err}")
endif()

# A folder that does not exist: the file layer's reason in the user's words, status 1.
execute_process(COMMAND ${KVARIL} --run ${PROJECTS}/filters.sig --wav ${out}/none/x.wav
                RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE err)
if(NOT rc EQUAL 1
   OR NOT err STREQUAL "Не удается создать файл ${out}/none/x.wav: нет такого файла или папки\n")
  message(FATAL_ERROR "unwritable: rc=${rc}\n${err}")
endif()
