#!/bin/bash
# Builds the Debian package as `make package` does, into a temporary folder, and checks it: the
# project's version, dependencies computed from the programs' libraries, the ROMs recommended,
# the programs and menu entry inside, and no error from lintian (its warnings are printed).
# Usage: check_package.sh BUILD_DIR WENDAL_RUN
set -u
BUILD=$1 RUN=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0
Fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$WORK" >"$WORK/cpack.log" 2>&1 ||
    { cat "$WORK/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$(ls "$WORK"/wendal_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { echo "FAIL: no package made"; exit 1; }

version=$("$RUN" --version | awk '{print $2}')
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] ||
    Fail "package version $(dpkg-deb -f "$deb" Version) is not the program's $version"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libsdl2-2.0-0 libpng16-16 libc6; do
    grep -q "$lib" <<<"$depends" || Fail "Depends has no $lib: $depends"
done
[ "$(dpkg-deb -f "$deb" Recommends)" = "spectrum-roms" ] || Fail "spectrum-roms is not recommended"
contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/wendal ./usr/bin/wendal-run ./usr/share/applications/wendal.desktop \
    ./usr/share/man/man6/wendal.6.gz ./usr/share/doc/wendal/copyright; do
    grep -q " $f\$" <<<"$contents" || Fail "$f is not in the package"
done

if command -v lintian >/dev/null; then
    lintian --tag-display-limit 0 --fail-on error "$deb" >"$WORK/lintian.log" 2>/dev/null ||
        Fail "lintian found errors"
    cat "$WORK/lintian.log"
else
    Fail "lintian is not installed"
fi

[ $failures -eq 0 ] && echo "package $(basename "$deb"): all checks passed"
exit $((failures > 0))
