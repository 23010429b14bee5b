#!/usr/bin/env bash
# Builds the Debian package from a build folder, unpacks it into a throwaway root with dpkg-deb -x
# and runs the installed programs from there: the package must hold what a station needs, stripped
# and with its papers, and its programs must run on nothing but the system's libraries.
#   $1  the build folder
set -euo pipefail

build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$(echo "$work"/package/autoquorvan_*.deb)
[ -f "$deb" ] || fail "no package in $work/package"
root=$work/root
dpkg-deb -x "$deb" "$root"

dpkg-deb -f "$deb" Depends | grep -q 'libqt6sql6-sqlite' || fail "the SQLite driver is not a dependency"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "no dependencies from the programs' libraries"
dpkg-deb -f "$deb" Recommends | grep -q 'fonts-liberation' || fail "the designed font is not recommended"
for file in usr/share/applications/autoquorvan.desktop etc/xdg/autostart/autoquorvan.desktop \
    usr/share/doc/autoquorvan/copyright usr/share/doc/autoquorvan/changelog.gz; do
    [ -f "$root/$file" ] || fail "$file is missing"
done
version=$(dpkg-deb -f "$deb" Version)
zcat "$root/usr/share/doc/autoquorvan/changelog.gz" | head -n1 | grep -qF "autoquorvan ($version)" \
    || fail "the changelog's last entry is not version $version"

for program in autoquorvan autoquorvan-retaguarda autoquorvan-bomba; do
    binary=$root/usr/bin/$program
    [ -x "$binary" ] || fail "$program is missing"
    ! readelf -S "$binary" | grep -qE '\.symtab|\.debug_' || fail "$program is not stripped"
    ! readelf -d "$binary" | grep -qE 'RPATH|RUNPATH' || fail "$program looks for libraries outside the system"
done

# The installed programs, on a station of their own, with the system's Qt and no screen.
unset LD_LIBRARY_PATH
export AUTOQUORVAN_DRIVES=$work/drives
answer=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/autoquorvan" --version)
[ "$answer" = "autoquorvan 2.08.08-a" ] || fail "autoquorvan --version said '$answer'"
"$root/usr/bin/autoquorvan-retaguarda" init >/dev/null || fail "autoquorvan-retaguarda init"
"$root/usr/bin/autoquorvan-retaguarda" encerrante 1 3 1234.5 || fail "autoquorvan-retaguarda encerrante"
"$root/usr/bin/autoquorvan-retaguarda" encerrantes | grep -q '^1,3,1234\.5' || fail "autoquorvan-retaguarda encerrantes"
mkdir -p "$AUTOQUORVAN_DRIVES/C/wdn/matriz"
"$root/usr/bin/autoquorvan-bomba" 'C:\wdn\matriz' 3 || fail "autoquorvan-bomba"
[ -f "$AUTOQUORVAN_DRIVES/C/wdn/matriz/BOMBA03.DBF" ] || fail "autoquorvan-bomba wrote no table"
echo "The package $(basename "$deb") ($(stat -c %s "$deb") bytes) installs and runs."
