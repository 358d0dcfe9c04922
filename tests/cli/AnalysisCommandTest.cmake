# Runs `kvaril --run --stats/--spectrum` as a user would, on the filters example (a 50 Hz sine
# of amplitude 1 over five whole periods, 1000 quanta of 0.1 ms), and the refusals, which must
# leave an existing output file alone.
set(filters ${PROJECTS}/filters.sig)
set(stats ${WORK}/analysis-stats.csv)
set(spectrum ${WORK}/analysis-spectrum.csv)
file(REMOVE ${stats} ${spectrum})

execute_process(COMMAND ${KVARIL} --run ${filters} --stats ${stats}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "Ok\n")
  message(FATAL_ERROR "stats: rc=${rc}\n${out}\n${err}")
endif()
file(STRINGS ${stats} rows)
list(LENGTH rows count)
list(GET rows 0 header)
list(GET rows 1 sine)
# min -1 first at 15 ms, max 1 first at 5 ms, RMS and spread 1/sqrt(2), peak-to-peak 2.
if(NOT count EQUAL 6 OR NOT header STREQUAL "signal,n,min,t_min,max,t_max,mean,rms,p2p,std"
   OR NOT sine MATCHES "^Sine,1000,-1,0\\.015[0-9]*,1,0\\.005[0-9]*,[-0-9.e]+,0\\.707106781186547[0-9]*,2,0\\.707106781186547[0-9]*$")
  message(FATAL_ERROR "stats file: ${count} rows\n${header}\n${sine}")
endif()

execute_process(COMMAND ${KVARIL} --run ${filters} --stats ${stats} --signals Noisy,Sine
                        --from 0.01 --to 0.03
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(STRINGS ${stats} rows)
list(LENGTH rows count)
list(GET rows 1 first)
list(GET rows 2 second)
# One row per signal in the document's order, as the CSV's columns.
if(NOT rc EQUAL 0 OR NOT count EQUAL 3 OR NOT second MATCHES "^Noisy,201,"
   OR NOT first MATCHES "^Sine,201,-1,0\\.015[0-9]*,1,0\\.025[0-9]*,")
  message(FATAL_ERROR "stats over 10..30 ms: rc=${rc}\n${err}\n${first}\n${second}")
endif()

# One command, one selection: off the grid of 0.1 ms quanta, quanta 124 .. 456 in every file.
set(samples ${WORK}/analysis-samples.csv)
execute_process(COMMAND ${KVARIL} --run ${filters} --csv ${samples} --stats ${stats}
                        --spectrum ${spectrum} --from 0.01232 --to 0.04568
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(STRINGS ${samples} csv_rows)
file(STRINGS ${stats} stats_rows)
file(STRINGS ${spectrum} spectrum_rows)
list(LENGTH csv_rows csv_count)
list(LENGTH spectrum_rows bins)
list(GET csv_rows 1 first_row)
list(GET stats_rows 1 sine)
if(NOT rc EQUAL 0 OR NOT csv_count EQUAL 334 OR NOT first_row MATCHES "^0\\.01240*1?,"
   OR NOT sine MATCHES "^Sine,333," OR NOT bins EQUAL 168)
  message(FATAL_ERROR "one selection: rc=${rc}\n${err}\n${csv_count} CSV rows, ${bins} bins\n${sine}")
endif()

execute_process(COMMAND ${KVARIL} --run ${filters} --spectrum ${spectrum} --signals Sine,LowPass
                        --window rect
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(STRINGS ${spectrum} rows)
list(LENGTH rows count)
list(GET rows 0 header)
list(GET rows 6 fifty)
list(GET rows 501 nyquist)
# Bins of 10 Hz up to 5 kHz; the sine reads 1 at 50 Hz.
if(NOT rc EQUAL 0 OR NOT count EQUAL 502 OR NOT header STREQUAL "f,Sine,LowPass"
   OR NOT fifty MATCHES "^50,(1|0\\.99999999999999[0-9]*|1\\.0000000000000[0-9]*),"
   OR NOT nyquist MATCHES "^5000,")
  message(FATAL_ERROR "spectrum: rc=${rc}\n${err}\n${count} rows\n${header}\n${fifty}\n${nyquist}")
endif()

# The peak table: the sine's line at 50 Hz with amplitude 1 (0 dB), largest first.
set(peaks ${WORK}/analysis-peaks.csv)
file(REMOVE ${peaks})
execute_process(COMMAND ${KVARIL} --run ${filters} --peaks ${peaks} --signals Sine
                        --peaks-count 2 --threshold -40
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(STRINGS ${peaks} rows)
list(LENGTH rows count)
list(GET rows 0 header)
list(GET rows 1 first)
if(NOT rc EQUAL 0 OR count GREATER 3 OR NOT header STREQUAL "signal,rank,f,amplitude,db"
   OR NOT first MATCHES "^Sine,1,(50|49\\.9999[0-9]*|50\\.0000[0-9]*),(1|0\\.99999[0-9]*|1\\.0000[0-9]*),")
  message(FATAL_ERROR "peaks: rc=${rc}\n${err}\n${count} rows\n${header}\n${first}")
endif()
foreach(case "--peaks;${peaks};--peaks-count;0;Неверное число пиков"
             "--peaks;${peaks};--threshold;loud;порог --threshold"
             "--stats;${stats};--threshold;-20;нужны только с --peaks")
  list(POP_BACK case expected)
  execute_process(COMMAND ${KVARIL} --run ${filters} ${case}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 1 OR NOT err MATCHES "${expected}")
    message(FATAL_ERROR "peaks refusal ${case}: rc=${rc}\n${out}\n${err}")
  endif()
endforeach()

# Refusals: status 1, a message, and the previous file untouched.
file(WRITE ${stats} "previous\n")
foreach(case
    "--from;0.05;--to;0.01;позже"
    "--signals;Sine,Cosine;нет сигнала \"Cosine\""
    "--signals;Sine,Sine;Сигнал \"Sine\" назван в списке дважды"
    "--window;kaiser;Неизвестное окно"
    "--from;0.05;--to;0.05;меньше двух отсчетов"
    "--from;1;меньше двух отсчетов")
  list(POP_BACK case expected)
  execute_process(COMMAND ${KVARIL} --run ${filters} --stats ${stats} ${case}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  file(READ ${stats} kept)
  if(NOT rc EQUAL 1 OR NOT err MATCHES "${expected}" OR NOT kept STREQUAL "previous\n"
     OR NOT out STREQUAL "")
    message(FATAL_ERROR "refusal ${case}: rc=${rc}\n${out}\n${err}\n${kept}")
  endif()
endforeach()

execute_process(COMMAND ${KVARIL} --run ${filters} --spectrum ${spectrum} --from soon
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
# A malformed command line is status 1 with the reason and the usage.
if(NOT rc EQUAL 1 OR NOT err MATCHES "--from" OR NOT err MATCHES "--spectrum")
  message(FATAL_ERROR "malformed time accepted: rc=${rc}\n${err}")
endif()
