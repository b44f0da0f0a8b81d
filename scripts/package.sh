#!/bin/sh
# Builds the Debian package of the two programs (build-package/lodra05_*.deb) and checks
# what it holds. With --install it also installs it through apt and runs the batch tool
# from /usr/bin, as CI does on a clean machine.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DLODRA05_BUILD_TESTS=OFF -DLODRA05_BUILD_BENCH=OFF >/dev/null
cmake --build build-package -j2 --target lodra05 lodra05-batch
(cd build-package && rm -f lodra05_*.deb && cpack -G DEB >/dev/null)
deb=$(ls build-package/lodra05_*.deb)
contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/lodra05 ./usr/bin/lodra05-batch \
    ./usr/share/applications/lodra05.desktop \
    ./usr/share/icons/hicolor/scalable/apps/lodra05.svg ./usr/share/doc/lodra05/README.md; do
    echo "$contents" | grep -q " $file\$" || { echo "$deb saknar $file" >&2; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6core6 libqt6printsupport6 qt6-qpa-plugins libqt6svg6 \
    qt6-translations-l10n; do
    echo "$depends" | grep -q "$needed" || { echo "$deb beror inte på $needed" >&2; exit 1; }
done
echo "$deb"
if [ "${1:-}" = "--install" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "./$deb" >/dev/null
    /usr/bin/lodra05-batch --help >/dev/null
    echo "installerat: $(dpkg-query -W -f='${Package} ${Version}' lodra05)"
fi
