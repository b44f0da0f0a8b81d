#!/bin/sh
# Installs the Debian 12 packages the build needs, only those that are missing. Qt Concurrent
# and Qt PrintSupport come with qt6-base-dev; dpkg-dev gives the package its library
# dependencies; clang-format checks the layout of the sources; the tests complete the batch
# tool's options through bash-completion, read the report's PDF with poppler-utils and run
# a register split on a one-node Slurm (slurm-wlm, munge). At run time the program takes its
# icon through libqt6svg6 and Qt's Swedish texts from qt6-translations-l10n; the program's own
# Swedish for the texts Qt's catalogue lacks is compiled by lrelease (qt6-l10n-tools, found by
# CMake through qt6-tools-dev). The web build (scripts/web.sh) takes emscripten and its tests
# run on nodejs; the page is tested in chromium through npm's puppeteer-core (npm is asked
# for only where no npm is on the path, as some Node.js packages bring their own). Extra
# names are installed too (scripts/package.sh adds Debian's checkers).
set -eu
packages="cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libgtest-dev libbenchmark-dev qt6-charts-dev time dpkg-dev clang-format bash-completion libqt6svg6 qt6-translations-l10n qt6-tools-dev qt6-l10n-tools poppler-utils slurm-wlm munge emscripten nodejs chromium $*"
command -v npm >/dev/null 2>&1 || packages="$packages npm"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "Installerar:$missing"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
fi
