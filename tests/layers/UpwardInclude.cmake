# The layers as the build keeps them: a layer compiles against its own folder and the layers
# under it. For every layer, its own header is found through its include root and the header of
# the layer one step up is not: an include that goes up does not build. The core's layers, then
# the windows' (over the whole core).
function(check_layers root)
  set(pairs ${ARGN})
  list(LENGTH pairs count)
  math(EXPR last "${count} / 2 - 2")
  foreach(i RANGE 0 ${last})
    math(EXPR at "2 * ${i}")
    math(EXPR up "${at} + 3")
    math(EXPR own "${at} + 1")
    list(GET pairs ${at} layer)
    list(GET pairs ${own} header)
    list(GET pairs ${up} above)
    set(source ${WORK}/layer-${layer}.cpp)
    file(WRITE ${source} "#if !__has_include(\"${header}\")\n#error own ${header} not found\n#endif\n"
                         "#if __has_include(\"${above}\")\n#error ${above} reachable\n#endif\n")
    execute_process(COMMAND ${CXX} -std=c++20 -fsyntax-only -I${root}/${layer} ${source}
                    RESULT_VARIABLE rc ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "layer ${layer} (${root}):\n${err}")
    endif()
  endforeach()
endfunction()

check_layers(${CORE_LAYERS} base base/uCommon.h store store/uSignalsData.h
             document document/uSignal.h model model/ModelRunner.h plot plot/Ticks.h
             export export/DataRange.h analysis analysis/Measures.h sweep sweep/SweepPlan.h
             osc osc/OscSession.h batch batch/BatchRun.h)
check_layers(${GUI_LAYERS} common common/Dialogs.h scope scope/FrmOsc.h ui ui/FrmMain.h)
