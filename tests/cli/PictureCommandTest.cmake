# `kvaril --run --png`: the extension chooses PNG, SVG or PDF, `--screen all` stacks every screen,
# and a command line that cannot be drawn writes nothing.
include(${CMAKE_CURRENT_LIST_DIR}/Refusal.cmake)

set(out ${WORK}/picture)
file(REMOVE_RECURSE ${out})
file(MAKE_DIRECTORY ${out})
set(doc ${PROJECTS}/filters.sig)

execute_process(COMMAND ${KVARIL} --info ${doc} OUTPUT_VARIABLE info)
string(REGEX MATCH "Экраны: ([0-9]+)" screens "${info}")
set(screen_count "${CMAKE_MATCH_1}")
if(NOT screen_count GREATER 0)
  message(FATAL_ERROR "no screens in --info:\n${info}")
endif()
math(EXPR stacked "${screen_count} * 150")

execute_process(COMMAND ${KVARIL} --run ${doc} --png ${out}/all.pdf --screen all --size 300x150
                RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT EXISTS ${out}/all.pdf)
  message(FATAL_ERROR "pdf: rc=${rc}\n${err}")
endif()
file(READ ${out}/all.pdf head LIMIT 5)
if(NOT head MATCHES "^%PDF-")
  message(FATAL_ERROR "not a PDF: ${head}")
endif()
if(PDFINFO)
  execute_process(COMMAND ${PDFINFO} ${out}/all.pdf RESULT_VARIABLE rc OUTPUT_VARIABLE pdf)
  if(NOT rc EQUAL 0 OR NOT pdf MATCHES "Page size: +300 x ${stacked} pts" OR
     NOT pdf MATCHES "Pages: +1\n")
    message(FATAL_ERROR "pdfinfo: rc=${rc}, ${screen_count} screens\n${pdf}")
  endif()
endif()

execute_process(COMMAND ${KVARIL} --run ${doc} --png ${out}/one.SVG --size 320x240
                RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE err)
file(READ ${out}/one.SVG svg)
# The size is stated in pixels, as a browser shows it, not in millimetres.
if(NOT rc EQUAL 0 OR NOT svg MATCHES "<svg" OR NOT svg MATCHES "viewBox=\"0 0 320 240\""
   OR NOT svg MATCHES "width=\"320\" height=\"240\"")
  message(FATAL_ERROR "svg: rc=${rc}\n${err}")
endif()

# A normal run prints nothing but "Ok", even without a runtime folder in the session (Qt
# would warn about it).
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=XDG_RUNTIME_DIR --unset=QT_QPA_PLATFORM
                        ${KVARIL} --run ${doc} --png ${out}/quiet.png
                RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE err)
# Another test's run may hold the model folder: the wait it reports is no warning of this one.
string(REPLACE "Ожидание: папку модели занимает другой запуск...\n" "" err "${err}")
if(NOT rc EQUAL 0 OR NOT stdout STREQUAL "Ok\n" OR NOT err STREQUAL "" OR NOT EXISTS ${out}/quiet.png)
  message(FATAL_ERROR "a quiet --png run: rc=${rc}\n${stdout}\n${err}")
endif()

# The View menu's choices on request only: the beams' names and the grid's times (with their
# unit) are texts of the SVG with --view, and absent from the classic picture.
execute_process(COMMAND ${KVARIL} --run ${doc} --png ${out}/view.svg --size 600x300
                        --view legend,grid,shared
                RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE err)
file(READ ${out}/view.svg viewed)
if(NOT rc EQUAL 0 OR NOT viewed MATCHES ">LowPass<" OR NOT viewed MATCHES ">20 мс<")
  message(FATAL_ERROR "--view: rc=${rc}\n${err}")
endif()
if(svg MATCHES ">LowPass<" OR svg MATCHES ">20 мс<")
  message(FATAL_ERROR "the classic picture has a legend or a grid")
endif()

# Colours per beam: filters.sig shows Sine alone in group 2 with Average and LowPass, Noisy in
# group 1; classically Noisy and Sine are both blue and Average green (#008000). With
# --view colors each shown beam takes the gray scheme's palette in signal order: Noisy dark
# green (#006400), Average purple (#960096); neither is a classic colour.
execute_process(COMMAND ${KVARIL} --run ${doc} --png ${out}/colors.svg --size 600x300
                        --view colors,legend
                RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE err)
file(READ ${out}/colors.svg coloured)
if(NOT rc EQUAL 0 OR NOT coloured MATCHES "stroke=\"#006400\"" OR
   NOT coloured MATCHES "stroke=\"#960096\"" OR NOT coloured MATCHES ">LowPass<")
  message(FATAL_ERROR "--view colors: rc=${rc}\n${err}")
endif()
if(svg MATCHES "#006400" OR svg MATCHES "#960096" OR viewed MATCHES "#960096")
  message(FATAL_ERROR "the palette shows without --view colors")
endif()
# --view cursors: the A/B cursors at a third and two thirds of the window, in their one colour
# (#be4600) and with their letters; the classic picture has neither. A PNG is drawn too.
execute_process(COMMAND ${KVARIL} --run ${doc} --png ${out}/cursors.svg --size 600x300
                        --view cursors
                RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE err)
file(READ ${out}/cursors.svg cursors)
if(NOT rc EQUAL 0 OR NOT cursors MATCHES ">A<" OR NOT cursors MATCHES ">B<" OR
   NOT cursors MATCHES "#be4600")
  message(FATAL_ERROR "--view cursors: rc=${rc}\n${err}")
endif()
# Their readout under the traces, as the window shows it above them: the times, then each beam's
# values at A and B (0.0333 and 0.0667 s of a 0.1 s window) and the difference. (Qt's SVG splits
# a text where another font draws a glyph, the Δ.)
if(NOT cursors MATCHES ">A: 0\\.0333   B: 0\\.0667   <" OR NOT cursors MATCHES "t: 29\\.94 <"
   OR NOT cursors MATCHES ">B − A<" OR NOT cursors MATCHES ">LowPass<[^>]*>[^>]*>-0\\.7132<")
  message(FATAL_ERROR "--view cursors has no readout:\n${cursors}")
endif()
if(svg MATCHES "#be4600" OR viewed MATCHES "#be4600")
  message(FATAL_ERROR "a picture without --view cursors has cursor lines")
endif()
execute_process(COMMAND ${KVARIL} --run ${doc} --png ${out}/cursors.png --size 600x300
                        --view grid,cursors
                RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT EXISTS ${out}/cursors.png)
  message(FATAL_ERROR "--view grid,cursors to PNG: rc=${rc}\n${err}")
endif()

# Refused before the run, or after it when the screen does not exist: status 1, no file.
set(refusals
  "--png ${out}/bad.doc|Неизвестный формат рисунка"
  "--png ${out}/bad.png --screen 0|Неверный номер --screen"
  "--png ${out}/bad.png --screen 1x|Неверный номер --screen"
  "--png ${out}/bad.png --size 10x10|Неверный размер --size"
  "--png ${out}/bad.png --view grid,bogus|Неверный вид --view"
  "--view grid|нужны только с --png"
  "--png ${out}/bad.png --screen 99|Нет экрана 99")
foreach(refusal ${refusals})
  split_refusal("${refusal}" parts expected)
  execute_process(COMMAND ${KVARIL} --run ${doc} ${parts}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE err)
  file(GLOB written ${out}/bad*)
  if(NOT rc EQUAL 1 OR NOT err MATCHES "${expected}" OR written)
    message(FATAL_ERROR "${parts}: rc=${rc}\n${err}\n${written}")
  endif()
endforeach()
