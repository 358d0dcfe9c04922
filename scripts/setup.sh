#!/usr/bin/env bash
# Installs every Debian package Kvaril needs to build, test and run.
# Silent when everything is already present; run it as often as you like.
#   scripts/setup.sh             build, test and run
#   scripts/setup.sh --gui-tools also xdotool and ImageMagick, for looking at windows headless
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config git
  libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev          # libFuzzer and the sanitizer runtimes
  clang-format                      # scripts/check-format.sh
  qt6-base-dev qt6-svg-dev libqscintilla2-qt6-dev qt6-translations-l10n
  fp-compiler                       # builds the model libraries
  libseccomp-dev                    # the model child's system-call filter
  bubblewrap                        # the model child's namespaces (its box)
  libsndfile1-dev                   # the tests read the WAV exports back
  desktop-file-utils shared-mime-info dpkg-dev   # checking the desktop files; the Debian package
  lintian                           # the Debian package checked as Debian checks packages
  libfftw3-dev                      # spectra
  poppler-utils                     # pdfinfo: the tests check exported PDF pages
  fonts-liberation2 fonts-dejavu-core   # Cyrillic glyphs; Liberation Mono stands in for Courier New
  xvfb openbox                      # widget tests on a real X server with a window manager
)
if [ "${1:-}" = "--gui-tools" ]; then
  packages+=(xauth xdotool imagemagick)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
