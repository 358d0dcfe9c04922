# `cmake --build build --target package`: a Debian package kvaril_<version>_<arch>.deb of what
# `cmake --install` puts under /usr. The libraries the programs link come from dpkg-shlibdeps, so
# the Depends line follows the build (a new library needs no edit here); what the programs only
# start or load at run time is listed by hand.
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE KVARIL_DEB_ARCH
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT KVARIL_DEB_ARCH)
  set(KVARIL_DEB_ARCH amd64)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kvaril)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kvaril developers <kvaril@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "workbench for modelling signals and the filters that process them")
set(CPACK_PACKAGE_DESCRIPTION
    "Each signal is a short Object Pascal class whose Make(t) sets Value. Kvaril builds the
document into a model library with Free Pascal, runs it in a child process and shows every
signal in a multi-beam, multi-screen oscilloscope. The user interface is in Russian.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${KVARIL_DEB_ARCH})
set(CPACK_DEBIAN_FILE_NAME kvaril_${PROJECT_VERSION}_${KVARIL_DEB_ARCH}.deb)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dcc32 starts the Free Pascal compiler (which brings its run-time units and the linker).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fp-compiler")
# Cyrillic glyphs, and Liberation Mono where documents ask for Courier New; Qt's own dialogs in
# Russian.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, fonts-dejavu-core, qt6-translations-l10n")
# The package holds no build-tree paths: the installed program finds its folders beside itself.
set(CPACK_STRIP_FILES ON)
include(CPack)
