# Runs `kvaril --run --measure` as a user would on the filters example, whose Sine is 50 Hz of
# amplitude 1 over five whole periods; and the refusals, which leave an existing file alone.
cmake_policy(SET CMP0007 NEW)
include(${CMAKE_CURRENT_LIST_DIR}/Refusal.cmake)
set(filters ${PROJECTS}/filters.sig)
set(out_file ${WORK}/measure.csv)
file(REMOVE ${out_file})

execute_process(COMMAND ${KVARIL} --run ${filters} --measure freq,periods,top,amp,rise,thd -
                        --signals Sine
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
string(REPLACE "\n" ";" rows "${out}")
list(GET rows 0 header)
list(GET rows 1 sine)
# 1000 quanta of 0.1 ms: five periods; the first upward crossing of the mean after the start
# (which does not count: the sine has not been below the mean yet) at 20 ms, then three periods;
# its rise from 10 % to 90 % a little under asin(0.8)/(pi*50) = 5.90 ms, as top and base (the
# histogram's modes) lie just under the peaks.
if(NOT rc EQUAL 0 OR NOT header STREQUAL "signal,freq,periods,top,amp,rise,thd"
   OR NOT sine MATCHES "^Sine,(49\\.99[0-9]*|50(\\.0[0-9]*)?),3,0\\.99[0-9]*,1\\.99[0-9]*,0\\.0058[0-9]*,-[0-9.]+$")
  message(FATAL_ERROR "measure: rc=${rc}\n${header}\n${sine}\n${err}")
endif()

# A measure that cannot be made: an empty cell and its reason on standard error.
execute_process(COMMAND ${KVARIL} --run ${filters} --measure all ${out_file} --signals Sine
                        --from 0 --to 0.004
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(STRINGS ${out_file} rows)
list(GET rows 0 header)
list(GET rows 1 sine)
string(FIND "${err}" "Сигнал Sine, freq: меньше одного периода в интервале" reason)
if(NOT rc EQUAL 0 OR NOT header MATCHES "^signal,freq,period,periods,top,.*,sfdr$"
   OR NOT sine MATCHES "^Sine,,," OR reason EQUAL -1)
  message(FATAL_ERROR "part of a period: rc=${rc}\n${header}\n${sine}\n${err}")
endif()

expect_refusals(${KVARIL} ${filters} ${out_file}
  "--measure freq,nope ${out_file}|неизвестная мера \"nope\""
  "--measure delay:Sine ${out_file}|delay:A,B"
  "--measure delay:Sine,Nope ${out_file}|нет сигнала \"Nope\"")

# A pair, and a sweep's rows led by the swept values.
execute_process(COMMAND ${KVARIL} --run ${filters} --measure delay:Sine,LowPass - --signals Sine
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "^signal,\"delay:Sine,LowPass\"\nSine,0\\.00[0-9]+\n$")
  message(FATAL_ERROR "pair: rc=${rc}\n${out}\n${err}")
endif()
execute_process(COMMAND ${KVARIL} --run ${DATA}/sweep.sig --sweep Tone.Freq=100,200
                        --measure freq - --signals Tone
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "^Freq,signal,freq\n100,Tone,(99\\.99[0-9]*|100(\\.0[0-9]*)?)\n200,Tone,(199\\.99[0-9]*|200(\\.0[0-9]*)?)\n$")
  message(FATAL_ERROR "sweep: rc=${rc}\n${out}\n${err}")
endif()
