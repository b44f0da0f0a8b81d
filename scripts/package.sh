#!/bin/sh
# Builds the Debian package of the two programs (build-package/lodra05_*.deb) and checks
# what it holds, then lets Debian's own checks judge it: lintian, desktop-file-validate and
# appstreamcli validate; any error or warning fails. With --install it also installs it
# through apt and runs both programs from /usr/bin, as CI does on a clean machine.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh lintian desktop-file-utils appstream

# Debian's hardening flags (stack protector, fortified functions, read-only relocations
# bound at start); the build type's -O3 comes after their -O2.
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DLODRA05_BUILD_TESTS=OFF -DLODRA05_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS | sed 's/^-g //')" \
    -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" \
    -DCMAKE_STRIP="$PWD/packaging/strip.sh" >/dev/null
cmake --build build-package -j2 --target lodra05 lodra05-batch packaging
(cd build-package && rm -f lodra05_*.deb && cpack -G DEB >/dev/null)
deb=$(ls build-package/lodra05_*.deb)
version=$(dpkg-deb -f "$deb" Version)

contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/lodra05 ./usr/bin/lodra05-batch \
    ./usr/share/applications/lodra05.desktop \
    ./usr/share/icons/hicolor/scalable/apps/lodra05.svg \
    ./usr/share/metainfo/se.lodra05.lodra05.metainfo.xml \
    ./usr/share/man/man1/lodra05.1.gz ./usr/share/man/man1/lodra05-batch.1.gz \
    ./usr/share/man/sv/man1/lodra05.1.gz ./usr/share/man/sv/man1/lodra05-batch.1.gz \
    ./usr/share/bash-completion/completions/lodra05-batch \
    ./usr/share/doc/lodra05/copyright ./usr/share/doc/lodra05/changelog.gz \
    ./usr/share/doc/lodra05/README.md; do
    echo "$contents" | grep -q " $file\$" || { echo "$deb saknar $file" >&2; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6core6 libqt6printsupport6 qt6-qpa-plugins libqt6svg6 \
    qt6-translations-l10n; do
    echo "$depends" | grep -q "$needed" || { echo "$deb beror inte på $needed" >&2; exit 1; }
done

# Debian's checks. lintian shows its informational tags too, but fails only on errors and
# warnings; the other two print errors, warnings and hints, and only hints may pass.
lintian_status=0
tags=$(lintian --display-info --fail-on error,warning "$deb" 2>&1) || lintian_status=$?
echo "$tags" | grep -v 'root privileges' || true
[ "$lintian_status" -eq 0 ] || { echo "lintian: fel eller varningar i $deb" >&2; exit 1; }
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
checked() {
    output=$("$@" 2>&1) || { echo "$output" >&2; exit 1; }
    [ -z "$output" ] || echo "$output"
    if echo "$output" | grep -Eq '(error|warning):|^[EW]: '; then
        echo "$*: fel eller varningar" >&2
        exit 1
    fi
}
checked desktop-file-validate "$root/usr/share/applications/lodra05.desktop"
checked appstreamcli validate --no-net --explain \
    "$root/usr/share/metainfo/se.lodra05.lodra05.metainfo.xml"
echo "$deb"

if [ "${1:-}" = "--install" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "./$deb" >/dev/null
    /usr/bin/lodra05-batch --help >/dev/null
    for program in lodra05 lodra05-batch; do
        printed=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "/usr/bin/$program" --version)
        [ "$printed" = "$program $version" ] ||
            { echo "$program --version skrev \"$printed\", paketet är $version" >&2; exit 1; }
    done
    echo "installerat: $(dpkg-query -W -f='${Package} ${Version}' lodra05)"
fi
