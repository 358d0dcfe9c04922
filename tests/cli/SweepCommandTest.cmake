# `kvaril --run --sweep` as a user runs it, on a document whose Tone has `const Freq = 50;` and
# `Shift = Pi / 2;`, and whose Gain divides Tone by `const K: Double = 2;` (1000 quanta of
# 0.1 ms, one screen with both beams in group 1): the columns of the CSV and statistics, the
# runs overlaid in the picture, the refusals before anything runs, and a run that fails while
# the others complete.
set(doc ${CMAKE_CURRENT_LIST_DIR}/../data/sweep.sig)
set(csv ${WORK}/sweep-samples.csv)
set(stats ${WORK}/sweep-stats.csv)
file(REMOVE ${csv} ${stats})

execute_process(COMMAND ${KVARIL} --run ${doc} --sweep Tone.Freq=50,100 --csv ${csv}
                        --stats ${stats}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "Ok\n")
  message(FATAL_ERROR "sweep: rc=${rc}\n${out}\n${err}")
endif()
file(STRINGS ${csv} rows)
list(LENGTH rows count)
list(GET rows 0 header)
list(GET rows 26 row)
# At 2.5 ms the 100 Hz tone peaks (1, halved by Gain) and the 50 Hz one is at sin(pi/4).
if(NOT count EQUAL 1001
   OR NOT header STREQUAL "t,Tone@Freq=50,Tone@Freq=100,Gain@Freq=50,Gain@Freq=100"
   OR NOT row MATCHES "^0\\.0025[0-9]*,0\\.7071067811865[0-9]*,1,0\\.3535533905932[0-9]*,0\\.5$")
  message(FATAL_ERROR "sweep CSV: ${count} rows\n${header}\n${row}")
endif()
file(STRINGS ${stats} rows)
list(LENGTH rows count)
list(GET rows 0 header)
list(GET rows 1 first)
list(GET rows 4 last)
if(NOT count EQUAL 5 OR NOT header STREQUAL "Freq,signal,n,min,t_min,max,t_max,mean,rms,p2p,std"
   OR NOT first MATCHES "^50,Tone,1000,-1,0\\.015[0-9]*,1,0\\.005[0-9]*,"
   OR NOT last MATCHES "^100,Gain,1000,-0\\.5,[0-9.e-]+,0\\.5,")
  message(FATAL_ERROR "sweep statistics: ${count} rows\n${header}\n${first}\n${last}")
endif()

# Two constants: every combination, the first one's value changing slowest.
execute_process(COMMAND ${KVARIL} --run ${doc} --sweep Gain.K=1,4 --sweep Tone.Freq=10:1000:3log
                        --stats ${stats} --signals Gain
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(STRINGS ${stats} rows)
list(LENGTH rows count)
list(GET rows 0 header)
list(GET rows 2 second)
list(GET rows 6 last)
if(NOT rc EQUAL 0 OR NOT count EQUAL 7 OR NOT header MATCHES "^K,Freq,signal,"
   OR NOT second MATCHES "^1,100,Gain,1000,-1," OR NOT last MATCHES "^4,1000,Gain,1000,")
  message(FATAL_ERROR "two constants: rc=${rc}\n${err}\n${count} rows\n${header}\n${second}\n${last}")
endif()

# Refusals before anything runs: status 1, the reason, the previous file untouched, no run.
file(WRITE ${stats} "previous\n")
foreach(case
    "Tone.Nope=1|В сигнале Tone нет константы Nope"
    "Nope.K=1|Нет сигнала Nope"
    "Tone.Shift=1,2|Константа Tone.Shift = Pi / 2 - не число"
    "Tone.Freq=5:5:3|пустой диапазон"
    "Tone.Freq=1:10:3log:x|ОТ:ДО:ЧИСЛО"
    "Tone.Freq|Сигнал.Имя=значения")
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 sweep)
  list(GET parts 1 expected)
  execute_process(COMMAND ${KVARIL} --run ${doc} --sweep ${sweep} --stats ${stats}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  file(READ ${stats} kept)
  if(NOT rc EQUAL 1 OR NOT err MATCHES "${expected}" OR NOT kept STREQUAL "previous\n"
     OR err MATCHES "Прогон")
    message(FATAL_ERROR "--sweep ${sweep}: rc=${rc}\n${err}")
  endif()
endforeach()
execute_process(COMMAND ${KVARIL} --run ${doc} --sweep Tone.Freq=1 --wav ${WORK}/sweep.wav
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT err MATCHES "не --wav, --against, --reference")
  message(FATAL_ERROR "--sweep with --wav: rc=${rc}\n${err}")
endif()

# The spectrum-peak measures of every run, and the spectra, as a user asks for them.
set(peaks ${WORK}/sweep-peaks.csv)
set(spectrum ${WORK}/sweep-spectrum.csv)
execute_process(COMMAND ${KVARIL} --run ${doc} --sweep Tone.Freq=50,100 --signals Tone
                        --peaks ${peaks} --peaks-count 1 --spectrum ${spectrum} --window rect
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(STRINGS ${peaks} rows)
file(STRINGS ${spectrum} bins)
list(GET bins 0 header)
list(GET bins 6 fifty)
set(one "(1|0\\.99999999[0-9]*|1\\.0000000[0-9]*)")
if(NOT rc EQUAL 0
   OR NOT rows MATCHES "^Freq,signal,rank,f,amplitude,db;50,Tone,1,50,${one},[-0-9.e]+;100,Tone,1,100,${one},[-0-9.e]+$"
   OR NOT header STREQUAL "f,Tone@Freq=50,Tone@Freq=100" OR NOT fifty MATCHES "^50,${one},")
  message(FATAL_ERROR "--sweep with --peaks and --spectrum: rc=${rc}\n${err}\n${rows}\n${header}\n${fifty}")
endif()

# --png overlays the runs: each named in the legend (shortest numbers), with or without the
# View menu's legend of the beams' names, as SVG texts; a PNG is drawn too. --reference would
# not be drawn under an overlay, so it is refused.
set(picture ${WORK}/sweep.svg)
file(REMOVE ${picture} ${WORK}/sweep.png)
execute_process(COMMAND ${KVARIL} --run ${doc} --sweep Tone.Freq=50,100,200 --png ${picture}
                        --size 600x300
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(READ ${picture} drawn)
if(NOT rc EQUAL 0 OR NOT drawn MATCHES ">Freq = 50<" OR NOT drawn MATCHES ">Freq = 200<"
   OR drawn MATCHES ">Tone<")
  message(FATAL_ERROR "--sweep --png: rc=${rc}\n${err}")
endif()
# Three runs of the two beams of one group, each in its own shade of the beam's colour: six
# trace colours besides the black texts and the grey axis, and not the classic blue and green
# of the current run alone.
string(REGEX MATCHALL "stroke=\"#[0-9a-f]+\"" strokes "${drawn}")
list(REMOVE_DUPLICATES strokes)
list(REMOVE_ITEM strokes "stroke=\"#000000\"" "stroke=\"#808080\"")
list(LENGTH strokes count)
if(NOT count EQUAL 6 OR drawn MATCHES "#0000ff" OR drawn MATCHES "#008000")
  message(FATAL_ERROR "--sweep --png: trace colours ${strokes}")
endif()
execute_process(COMMAND ${KVARIL} --run ${doc} --sweep Gain.K=1,4 --sweep Tone.Freq=50,100
                        --png ${WORK}/sweep.png --view legend,colors
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT EXISTS ${WORK}/sweep.png)
  message(FATAL_ERROR "--sweep --png of two constants: rc=${rc}\n${err}")
endif()
execute_process(COMMAND ${KVARIL} --run ${doc} --sweep Tone.Freq=1,2 --png ${picture}
                        --reference ${csv}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT err MATCHES "--reference")
  message(FATAL_ERROR "--sweep with --reference: rc=${rc}\n${err}")
endif()

# K = 0 fails at the first quantum (0 / 0); the other runs complete, every failure is listed,
# and nothing is written.
execute_process(COMMAND ${KVARIL} --run ${doc} --sweep Gain.K=1,0,2 --stats ${stats}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(READ ${stats} kept)
if(NOT rc EQUAL 1 OR NOT err MATCHES "Прогон K=0: сигнал Gain, Make\nОшибка при выполнении"
   OR NOT err MATCHES "Прогонов с ошибкой: 1 из 3\n$" OR NOT kept STREQUAL "previous\n")
  message(FATAL_ERROR "a failing run: rc=${rc}\n${err}")
endif()
