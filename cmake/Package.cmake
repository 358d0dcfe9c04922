# `cmake --build build --target package`: a Debian package kvaril_<version>_<arch>.deb of what
# `cmake --install` puts under /usr. The libraries the programs link come from dpkg-shlibdeps, so
# the Depends line follows the build (a new library needs no edit here); what the programs only
# start or load at run time is listed by hand.
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE KVARIL_DEB_ARCH
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT KVARIL_DEB_ARCH)
  set(KVARIL_DEB_ARCH amd64)
endif()

# What Debian wants beside the program (lintian checks it): the copyright, the changelog and the
# manual page, the last two compressed as dpkg compresses them (gzip -9n: no name, no time).
set(KVARIL_PACKAGE_SOURCE ${PROJECT_SOURCE_DIR}/package)
set(KVARIL_PACKAGE_BINARY ${PROJECT_BINARY_DIR}/package)
file(STRINGS ${KVARIL_PACKAGE_SOURCE}/changelog KVARIL_LATEST_CHANGE LIMIT_COUNT 1)
if(NOT KVARIL_LATEST_CHANGE MATCHES "^kvaril \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "package/changelog: the latest entry is not version ${PROJECT_VERSION}")
endif()
configure_file(${KVARIL_PACKAGE_SOURCE}/kvaril.1.in ${KVARIL_PACKAGE_BINARY}/kvaril.1 @ONLY)
configure_file(${KVARIL_PACKAGE_SOURCE}/changelog ${KVARIL_PACKAGE_BINARY}/changelog COPYONLY)
find_program(KVARIL_GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT ${KVARIL_PACKAGE_BINARY}/kvaril.1.gz ${KVARIL_PACKAGE_BINARY}/changelog.gz
  COMMAND ${KVARIL_GZIP} -9nkf kvaril.1 changelog
  WORKING_DIRECTORY ${KVARIL_PACKAGE_BINARY}
  DEPENDS ${KVARIL_PACKAGE_BINARY}/kvaril.1 ${KVARIL_PACKAGE_BINARY}/changelog
  COMMENT "Compressing the manual page and the changelog")
add_custom_target(kvaril-package-files ALL
  DEPENDS ${KVARIL_PACKAGE_BINARY}/kvaril.1.gz ${KVARIL_PACKAGE_BINARY}/changelog.gz)
install(FILES ${KVARIL_PACKAGE_BINARY}/kvaril.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${KVARIL_PACKAGE_SOURCE}/copyright ${KVARIL_PACKAGE_BINARY}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/kvaril)

# Whoever publishes the package puts their own name and address here; the default's domain is
# one reserved for examples.
set(KVARIL_PACKAGE_MAINTAINER "Kvaril developers <kvaril@dornek.example>"
    CACHE STRING "The Maintainer of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kvaril)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${KVARIL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "workbench for modelling signals and the filters that process them")
# Lines of at most 80 characters, as Debian wants them for a terminal.
set(CPACK_PACKAGE_DESCRIPTION
    "Each signal is a short Object Pascal class whose Make(t) sets Value.
Kvaril builds the document into a model library with Free Pascal, runs it
in a child process and shows every signal in a multi-beam, multi-screen
oscilloscope. The user interface is in Russian.")
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
