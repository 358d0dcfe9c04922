# Builds the Debian package with CPack as `--target package` does and checks what it declares
# and holds: name, version, architecture, the libraries and tools it needs, the program with its
# model folder, examples, help and desktop files, and a menu entry that validates.
set(out ${WORK}/package-test)
file(REMOVE_RECURSE ${out})
execute_process(COMMAND ${CPACK} -G DEB --config ${BUILD}/CPackConfig.cmake -B ${out}
                RESULT_VARIABLE rc OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cpack: rc=${rc}\n${log}")
endif()
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE arch
                OUTPUT_STRIP_TRAILING_WHITESPACE)
set(deb ${out}/kvaril_${VERSION}_${arch}.deb)
if(NOT EXISTS ${deb})
  file(GLOB made ${out}/*.deb)
  message(FATAL_ERROR "no ${deb}; made: ${made}")
endif()

function(field name result)
  execute_process(COMMAND dpkg-deb -f ${deb} ${name} OUTPUT_VARIABLE value
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(${result} "${value}" PARENT_SCOPE)
endfunction()
field(Package package)
field(Version version)
field(Architecture architecture)
field(Depends depends)
if(NOT package STREQUAL "kvaril" OR NOT version STREQUAL "${VERSION}"
   OR NOT architecture STREQUAL "${arch}")
  message(FATAL_ERROR "metadata: ${package} ${version} ${architecture}")
endif()

set(needed fp-compiler libsndfile1 libseccomp2 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6
    libqscintilla2-qt6 libc6 libstdc\\+\\+6)
# FFTW only where the program links it.
execute_process(COMMAND objdump -p ${KVARIL} OUTPUT_VARIABLE dynamic)
if(dynamic MATCHES "NEEDED +libfftw3")
  list(APPEND needed libfftw3)
endif()
foreach(package ${needed})
  if(NOT depends MATCHES "(^|, )${package}[-0-9a-z.]*( \\(|,|$)")
    message(FATAL_ERROR "Depends lacks ${package}: ${depends}")
  endif()
endforeach()

execute_process(COMMAND dpkg-deb -c ${deb} OUTPUT_VARIABLE contents)
foreach(path
    ./usr/bin/kvaril ./usr/lib/kvaril/kvaril ./usr/lib/kvaril/Bin/dcc32
    ./usr/lib/kvaril/Bin/kvaril-modelhost ./usr/lib/kvaril/Bin/kvml.dpr
    ./usr/lib/kvaril/Bin/uSignalsData.pas ./usr/lib/kvaril/Projects/filters.sig
    ./usr/lib/kvaril/help/index.html ./usr/share/applications/kvaril.desktop
    ./usr/share/mime/packages/kvaril.xml ./usr/share/icons/hicolor/scalable/apps/kvaril.svg
    ./usr/share/icons/hicolor/16x16/apps/kvaril.png
    ./usr/share/icons/hicolor/256x256/apps/kvaril.png)
  string(REPLACE "." "\\." pattern "${path}")
  string(REPLACE "+" "\\+" pattern "${pattern}")
  if(NOT contents MATCHES " ${pattern}( -> [^\n]*)?\n")
    message(FATAL_ERROR "the package lacks ${path}:\n${contents}")
  endif()
endforeach()
if(contents MATCHES "${BUILD}")
  message(FATAL_ERROR "build-tree paths in the package")
endif()

execute_process(COMMAND dpkg-deb -x ${deb} ${out}/root RESULT_VARIABLE rc)
find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
  execute_process(COMMAND ${VALIDATE} ${out}/root/usr/share/applications/kvaril.desktop
                  RESULT_VARIABLE rc OUTPUT_VARIABLE report ERROR_VARIABLE report)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "desktop-file-validate: ${report}")
  endif()
endif()
file(READ_SYMLINK ${out}/root/usr/bin/kvaril link)
if(NOT link STREQUAL "../lib/kvaril/kvaril")
  message(FATAL_ERROR "usr/bin/kvaril points to ${link}")
endif()
file(REMOVE_RECURSE ${out})
