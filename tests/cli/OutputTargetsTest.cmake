# `kvaril --run` onto every kind of target: the document and a link to it, the golden file,
# another output of the same command, a pipe, a device node, a folder and a read-only folder are
# refused (status 1, nothing written); `-` is standard output. Then all or nothing: a failure at
# any position, before or after the run, leaves every output as it was, and a run that differs
# from its golden file still writes them all.
include(${CMAKE_CURRENT_LIST_DIR}/Refusal.cmake)

set(out ${WORK}/targets)
if(EXISTS ${out}/readonly)
  execute_process(COMMAND chattr -i ${out}/readonly ERROR_QUIET)
endif()
file(REMOVE_RECURSE ${out})
file(MAKE_DIRECTORY ${out} ${out}/folder ${out}/readonly)
set(doc ${out}/doc.sig)
configure_file(${PROJECTS}/filters.sig ${doc} COPYONLY)
configure_file(${GOLDEN}/filters.csv ${out}/G.csv COPYONLY)
file(CREATE_LINK doc.sig ${out}/link.csv SYMBOLIC)
execute_process(COMMAND mkfifo ${out}/fifo)
execute_process(COMMAND mknod ${out}/null c 1 3 RESULT_VARIABLE mknod_rc ERROR_QUIET)
# chmod does not stop root; an immutable folder does.
file(CHMOD ${out}/readonly DIRECTORY_PERMISSIONS OWNER_READ OWNER_EXECUTE GROUP_READ
     GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
execute_process(COMMAND chattr +i ${out}/readonly RESULT_VARIABLE chattr_rc ERROR_QUIET)

# What must never change: the document, the golden file and the other output's old content.
function(fingerprint result)
  file(SHA256 ${doc} d)
  file(SHA256 ${out}/G.csv g)
  file(READ ${out}/other.csv other)
  file(GLOB temporaries ${out}/.* ${out}/*/.*)
  set(${result} "${d} ${g} ${other} [${temporaries}]" PARENT_SCOPE)
endfunction()

set(other "--spectrum ${out}/other.csv")
set(refusals
  "document|--stats ${doc} ${other}|--stats ${doc}: это документ ${doc}"
  "link to the document|${other} --csv ${out}/link.csv|--csv ${out}/link.csv: это документ"
  "golden|--against ${out}/G.csv --csv ${out}/G.csv ${other}|это эталон --against ${out}/G.csv"
  "the same output twice|--stats ${out}/x.csv ${other} --csv ${out}/x.csv|в этот же файл уже пишет"
  "statistics and spectrum in one file|--stats ${out}/other.csv --spectrum ${out}/other.csv|--spectrum ${out}/other.csv: в этот же файл уже пишет --stats"
  "a pipe|${other} --csv ${out}/fifo|именованный канал"
  "a folder|${other} --stats ${out}/folder|папка"
  "a read-only folder|${other} --csv ${out}/readonly/x.csv|readonly/x.csv"
  "WAV to standard output|${other} --wav -|стандартный вывод"
  "twice standard output|--csv - --stats /dev/stdout|уже пишет --csv -")
if(mknod_rc EQUAL 0)
  list(APPEND refusals "a device node|${other} --wav ${out}/null|устройство")
else()
  message(STATUS "mknod failed: the device node case is skipped")
endif()
foreach(refusal ${refusals})
  string(FIND "${refusal}" "|" bar)
  string(SUBSTRING "${refusal}" 0 ${bar} name)
  math(EXPR bar "${bar} + 1")
  string(SUBSTRING "${refusal}" ${bar} -1 rest)
  split_refusal("${rest}" parts expected)
  if(name STREQUAL "a read-only folder" AND NOT chattr_rc EQUAL 0)
    execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(uid EQUAL 0)
      message(STATUS "the folder cannot be made read-only: the case is skipped")
      continue()
    endif()
  endif()
  file(WRITE ${out}/other.csv "previous\n")
  fingerprint(before)
  execute_process(COMMAND ${KVARIL} --run ${doc} ${parts}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE err)
  fingerprint(after)
  if(NOT rc EQUAL 1 OR NOT err MATCHES "${expected}" OR NOT stdout STREQUAL ""
     OR NOT before STREQUAL after)
    message(FATAL_ERROR "${name}: rc=${rc}\n${stdout}\n${err}\n${before}\n${after}")
  endif()
endforeach()
if(IS_DIRECTORY ${out}/fifo OR NOT EXISTS ${out}/fifo)
  message(FATAL_ERROR "the pipe is gone")
endif()
execute_process(COMMAND stat -c %F ${out}/fifo ${out}/folder OUTPUT_VARIABLE kinds)
if(NOT kinds STREQUAL "fifo\ndirectory\n")
  message(FATAL_ERROR "the pipe or the folder was replaced: ${kinds}")
endif()
if(mknod_rc EQUAL 0)
  execute_process(COMMAND stat -c %F ${out}/null OUTPUT_VARIABLE kind)
  if(NOT kind STREQUAL "character special file\n")
    message(FATAL_ERROR "the device node was replaced: ${kind}")
  endif()
endif()
execute_process(COMMAND chattr -i ${out}/readonly ERROR_QUIET)

# `-` and /dev/stdout: the text on standard output, "Ok" on standard error.
execute_process(COMMAND ${KVARIL} --run ${doc} --csv - --signals Sine --to 0.0002
                RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE err)
# Another test's run may hold the model folder: the wait it reports is no warning of this one.
string(REPLACE "Ожидание: папку модели занимает другой запуск...\n" "" err "${err}")
if(NOT rc EQUAL 0 OR NOT err STREQUAL "Ok\n" OR NOT stdout MATCHES "^t,Sine\n0,0\n1e-04,[^\n]*\n2e-04,[^\n]*\n$")
  message(FATAL_ERROR "--csv -: rc=${rc}\n${stdout}\n${err}")
endif()
execute_process(COMMAND ${KVARIL} --run ${doc} --stats /dev/stdout --signals Sine
                        --csv ${out}/beside.csv
                RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE err)
# Another test's run may hold the model folder: the wait it reports is no warning of this one.
string(REPLACE "Ожидание: папку модели занимает другой запуск...\n" "" err "${err}")
if(NOT rc EQUAL 0 OR NOT err STREQUAL "Ok\n" OR NOT stdout MATCHES "^signal,n,[^\n]*\nSine,1000,"
   OR NOT EXISTS ${out}/beside.csv)
  message(FATAL_ERROR "--stats /dev/stdout: rc=${rc}\n${stdout}\n${err}")
endif()

# All or nothing: five outputs that exist, and a failure at each position or after the run.
set(names s.csv w.wav st.csv sp.csv p.png)
set(options --csv --wav --stats --spectrum --png)
function(reset_outputs)
  foreach(name ${names})
    file(WRITE ${out}/${name} "previous\n")
  endforeach()
endfunction()
function(outputs_state result)
  set(state "")
  foreach(name ${names})
    file(READ ${out}/${name} head LIMIT 8 HEX)
    string(APPEND state "${name}=${head};")
  endforeach()
  file(GLOB temporaries ${out}/.*)
  set(${result} "${state}[${temporaries}]" PARENT_SCOPE)
endfunction()
function(command_with bad_position result)
  set(command "")
  foreach(i RANGE 4)
    list(GET options ${i} option)
    list(GET names ${i} name)
    if(i EQUAL bad_position)
      list(APPEND command ${option} ${out}/none/${name})
    else()
      list(APPEND command ${option} ${out}/${name})
    endif()
  endforeach()
  set(${result} "${command}" PARENT_SCOPE)
endfunction()

reset_outputs()
outputs_state(untouched)
set(failures "")
foreach(position RANGE 4)
  list(APPEND failures "position ${position}")
endforeach()
list(APPEND failures "a golden file of another document" "an unusable reference"
     "a missing screen")
foreach(failure ${failures})
  set(extra "")
  set(position -1)
  if(failure MATCHES "^position ([0-9])")
    set(position ${CMAKE_MATCH_1})
  elseif(failure STREQUAL "a golden file of another document")
    set(extra --against ${GOLDEN}/control.csv)
  elseif(failure STREQUAL "an unusable reference")
    set(extra --reference ${GOLDEN}/control.csv)
  else()
    set(extra --screen 4)
  endif()
  command_with(${position} command)
  execute_process(COMMAND ${KVARIL} --run ${doc} ${command} ${extra}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE err)
  outputs_state(state)
  if(NOT rc EQUAL 1 OR NOT state STREQUAL untouched OR NOT stdout STREQUAL "")
    message(FATAL_ERROR "${failure}: rc=${rc}\n${err}\n${state}")
  endif()
endforeach()

# A run that differs from its golden file still writes every output.
file(READ ${out}/G.csv golden)
string(REPLACE "\n0,0," "\n0,7," changed "${golden}")
if(changed STREQUAL golden)
  message(FATAL_ERROR "the golden file no longer starts with Sine = 0")
endif()
file(WRITE ${out}/changed.csv "${changed}")
command_with(-1 command)
execute_process(COMMAND ${KVARIL} --run ${doc} ${command} --against ${out}/changed.csv
                RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE err)
outputs_state(state)
string(HEX "previous" previous)
if(NOT rc EQUAL 3 OR state MATCHES "${previous}" OR NOT err MATCHES "Отличающихся отсчетов")
  message(FATAL_ERROR "status 3: rc=${rc}\n${err}\n${state}")
endif()
