# The core's layers as the build keeps them: a layer compiles against its own folder and the
# layers under it. The document layer includes the store's header, and an include of the
# oscilloscope's (a layer above) does not build. Every layer is tried one step up.
set(layers base store document model plot export analysis sweep osc batch)
set(headers base/uCommon.h store/uSignalsData.h document/uSignal.h model/ModelRunner.h
            plot/Ticks.h export/DataRange.h analysis/Measures.h sweep/SweepPlan.h
            osc/OscSession.h batch/BatchRun.h)

function(compiles layer header result)
  file(WRITE ${WORK}/layer-${layer}.cpp "#include \"${header}\"\n")
  execute_process(COMMAND ${CXX} -std=c++20 -fsyntax-only -I${LAYERS}/${layer}
                          ${WORK}/layer-${layer}.cpp
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(rc EQUAL 0)
    set(${result} TRUE PARENT_SCOPE)
  else()
    set(${result} FALSE PARENT_SCOPE)
    set(last_error "${err}" PARENT_SCOPE)
  endif()
endfunction()

list(LENGTH layers count)
math(EXPR last "${count} - 2")
foreach(i RANGE 0 ${last})
  math(EXPR up "${i} + 1")
  list(GET layers ${i} layer)
  list(GET headers ${i} own)
  list(GET headers ${up} above)
  compiles(${layer} ${own} ok)
  if(NOT ok)
    message(FATAL_ERROR "${layer} does not build its own ${own}:\n${last_error}")
  endif()
  compiles(${layer} ${above} ok)
  if(ok)
    message(FATAL_ERROR "${layer} builds an include of ${above}, a layer above it")
  endif()
  if(NOT last_error MATCHES "${above}")
    message(FATAL_ERROR "${layer} including ${above} failed for another reason:\n${last_error}")
  endif()
endforeach()
