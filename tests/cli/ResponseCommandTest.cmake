# Runs `kvaril --run --response` as a user would, on a document whose Gain is half its Tone: the
# response is -6.02 dB at 0 degrees with full coherence at every bin. Refusals leave an existing
# output file alone.
cmake_policy(SET CMP0007 NEW)
include(${CMAKE_CURRENT_LIST_DIR}/Refusal.cmake)
set(doc ${DATA}/sweep.sig)
set(out_file ${WORK}/response.csv)
file(REMOVE ${out_file})

execute_process(COMMAND ${KVARIL} --run ${doc} --response Tone:Gain -
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
string(REPLACE "\n" ";" rows "${out}")
list(LENGTH rows count)
list(GET rows 0 header)
list(GET rows 2 second)
# 1000 quanta: segments of 128 (14 of them), 65 bins 78.125 Hz apart, and the final empty item.
# Another test's run may hold the model folder: the wait it reports is no warning of this one.
string(REPLACE "Ожидание: папку модели занимает другой запуск...\n" "" err "${err}")
if(NOT rc EQUAL 0 OR NOT count EQUAL 67 OR NOT header STREQUAL "f,Gain_dB,Gain_deg,Gain_coh"
   OR NOT second MATCHES "^78\\.125,-6\\.020599913279[0-9]*,0,1$" OR NOT err STREQUAL "Ok\n")
  message(FATAL_ERROR "response: rc=${rc} ${count} rows\n${header}\n${second}\n${err}")
endif()

execute_process(COMMAND ${KVARIL} --run ${doc} --response Tone:Gain,Tone ${out_file}
                        --segment 1000
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(STRINGS ${out_file} rows)
list(LENGTH rows count)
list(GET rows 0 header)
if(NOT rc EQUAL 0 OR NOT count EQUAL 502
   OR NOT header STREQUAL "f,Gain_dB,Gain_deg,Gain_coh,Tone_dB,Tone_deg,Tone_coh")
  message(FATAL_ERROR "one segment, two outputs: rc=${rc} ${count} rows\n${header}\n${err}")
endif()

# Each refusal: status 1, the reason, the file of the last success untouched.
expect_refusals(${KVARIL} ${doc} ${out_file}
  "--response Tone:Gain ${out_file} --segment 2000|не помещается"
  "--response Tone:Gain ${out_file} --segment 12.5|Неверная длина сегмента"
  "--response Tone ${out_file}|Вход:Выход"
  "--response Tone:Gain,Gain ${out_file}|назван дважды"
  "--response Nope:Gain ${out_file}|нет сигнала \"Nope\""
  "--csv ${out_file} --segment 64|--segment нужен только с --response")

# A sweep: the columns of every run, named by its values.
execute_process(COMMAND ${KVARIL} --run ${doc} --sweep Tone.Freq=100,200 --response Tone:Gain -
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
string(REPLACE "\n" ";" rows "${out}")
list(GET rows 0 header)
if(NOT rc EQUAL 0 OR NOT header STREQUAL
   "f,Gain@Freq=100_dB,Gain@Freq=100_deg,Gain@Freq=100_coh,Gain@Freq=200_dB,Gain@Freq=200_deg,Gain@Freq=200_coh")
  message(FATAL_ERROR "sweep: rc=${rc}\n${header}\n${err}")
endif()
