#!/bin/sh
# Installs the Debian 12 packages the build needs, only those that are missing. Qt Concurrent
# and Qt PrintSupport come with qt6-base-dev; dpkg-dev gives the package its library
# dependencies; clang-format checks the layout of the sources; the tests complete the batch
# tool's options through bash-completion and read the report's PDF with poppler-utils. At
# run time the program takes its icon through libqt6svg6 and Qt's Swedish texts from
# qt6-translations-l10n. The web build (scripts/web.sh) takes emscripten and its tests run
# on nodejs; the page is tested in chromium through npm's puppeteer-core. Extra names are
# installed too (scripts/package.sh adds Debian's checkers).
set -eu
packages="cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libgtest-dev libbenchmark-dev qt6-charts-dev time dpkg-dev clang-format bash-completion libqt6svg6 qt6-translations-l10n poppler-utils emscripten nodejs npm chromium $*"
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
