# Builds the Debian package with CPack as `--target package` does and checks what it declares
# and holds: name, version, architecture, the libraries and tools it needs, the program with its
# model folder, examples, help and desktop files, a menu entry that validates, lintian's verdict
# (no error, no warning), a manual page that names every option, and an installed copy that
# runs a model without writing into its own folder.
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

set(needed fp-compiler libseccomp2 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6
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
    ./usr/share/help/ru/kvaril/index.html ./usr/lib/kvaril/help
    ./usr/share/doc/kvaril/copyright ./usr/share/doc/kvaril/changelog.gz
    ./usr/share/man/man1/kvaril.1.gz ./usr/share/applications/kvaril.desktop
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
if(NOT EXISTS ${out}/root/usr/lib/kvaril/help/index.html)
  message(FATAL_ERROR "the help pages are not beside the program")
endif()
if(contents MATCHES "kvaril-build-tree")
  message(FATAL_ERROR "the build tree's mark in the package")
endif()

# Debian's own check of the package, as an upload would get it.
find_program(LINTIAN lintian REQUIRED)
execute_process(COMMAND ${LINTIAN} --fail-on error,warning ${deb}
                RESULT_VARIABLE rc OUTPUT_VARIABLE report ERROR_VARIABLE ignored)
if(NOT rc EQUAL 0 OR report MATCHES "(^|\n)[EW]: ")
  message(FATAL_ERROR "lintian: rc=${rc}\n${report}")
endif()

# Every option of --help in the manual page, and no other.
execute_process(COMMAND ${KVARIL} --help OUTPUT_VARIABLE help RESULT_VARIABLE rc)
execute_process(COMMAND gzip -dc ${out}/root/usr/share/man/man1/kvaril.1.gz OUTPUT_VARIABLE manual)
string(REGEX MATCHALL "--[a-z]+" helpOptions "${help}")
string(REGEX MATCHALL "\\\\-\\\\-[a-z]+" manualOptions "${manual}")
string(REPLACE "\\-" "-" manualOptions "${manualOptions}")
list(REMOVE_DUPLICATES helpOptions)
list(REMOVE_DUPLICATES manualOptions)
list(SORT helpOptions)
list(SORT manualOptions)
if(NOT helpOptions STREQUAL manualOptions)
  message(FATAL_ERROR "--help: ${helpOptions}\nkvaril.1: ${manualOptions}")
endif()

# The installed copy, run by whoever runs the tests (root on the build machines), builds and
# runs a model in the user's cache and leaves its own folder as the package put it.
set(home ${out}/home)
file(GLOB_RECURSE before LIST_DIRECTORIES true ${out}/root/usr/lib/kvaril/*)
execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${home} XDG_CACHE_HOME=${home}/.cache
                ${out}/root/usr/lib/kvaril/kvaril --run ${out}/root/usr/lib/kvaril/Projects/filters.sig
                RESULT_VARIABLE rc OUTPUT_VARIABLE ran ERROR_VARIABLE ran)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the installed copy: rc=${rc}\n${ran}")
endif()
file(GLOB_RECURSE after LIST_DIRECTORIES true ${out}/root/usr/lib/kvaril/*)
if(NOT before STREQUAL after)
  message(FATAL_ERROR "the installed copy wrote into its folder:\n${after}")
endif()
if(NOT EXISTS ${home}/.cache/kvaril/Bin/kvml.dll)
  message(FATAL_ERROR "no model built in the user's cache")
endif()
file(REMOVE_RECURSE ${out})
