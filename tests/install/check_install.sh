#!/bin/bash
# Installs the build into a temporary prefix, as `make install PREFIX=...` does, and checks what a
# desktop finds there: the programs, the menu entry, the file types resolved by shared-mime-info,
# the icons, the manual pages (rendered, and naming every option --help names) and the help pages.
# Then the installed runner boots the ROM and must print what the build's own runner prints.
# Usage: check_install.sh BUILD_DIR WENDAL_RUN
set -u
BUILD=$1 BUILT_RUN=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
PREFIX=$WORK/prefix
failures=0
Fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$BUILD" --prefix "$PREFIX" >"$WORK/install.log" 2>&1 ||
    { cat "$WORK/install.log"; echo "FAIL: cmake --install"; exit 1; }

for f in bin/wendal bin/wendal-run; do
    [ -x "$PREFIX/$f" ] || Fail "$f is not installed as a program"
done
for f in share/applications/wendal.desktop share/mime/packages/wendal.xml \
    share/man/man6/wendal.6.gz share/man/man6/wendal-run.6.gz \
    share/doc/wendal/copyright share/doc/wendal/changelog.gz share/doc/wendal/help/contents.html; do
    [ -s "$PREFIX/$f" ] || Fail "$f is missing"
done
for size in 16 24 32 48 64 128 256; do
    icon=$PREFIX/share/icons/hicolor/${size}x${size}/apps/wendal.png
    [ "$(identify -format '%wx%h' "$icon" 2>/dev/null)" = "${size}x${size}" ] ||
        Fail "no ${size}x${size} icon"
done

# The menu entry by the desktop's own validator; it opens one file and names our types.
desktop-file-validate "$PREFIX/share/applications/wendal.desktop" || Fail "desktop-file-validate"
grep -qx 'Exec=wendal %f' "$PREFIX/share/applications/wendal.desktop" || Fail "Exec line"

# Each extension resolves to our type by name, and the signed formats by their first bytes.
xmllint --noout "$PREFIX/share/mime/packages/wendal.xml" || Fail "xmllint"
XDG_DATA_DIRS=$PREFIX/share update-mime-database "$PREFIX/share/mime" || Fail "update-mime-database"
for ext in sna z80 tap tzx csw pzx; do
    grep -q ":application/x-spectrum-$ext:\*\.$ext\$" "$PREFIX/share/mime/globs2" ||
        Fail ".$ext does not resolve to application/x-spectrum-$ext"
    grep -q "application/x-spectrum-$ext" "$PREFIX/share/applications/wendal.desktop" ||
        Fail "the menu entry does not open application/x-spectrum-$ext"
done
for type in tzx csw pzx; do
    grep -aq "application/x-spectrum-$type" "$PREFIX/share/mime/magic" ||
        Fail "no signature for application/x-spectrum-$type"
done

# Manual pages: rendered without a warning, and naming every option of the program's --help.
for prog in wendal wendal-run; do
    page=$PREFIX/share/man/man6/$prog.6.gz
    MANWIDTH=80 MAN_KEEP_FORMATTING= man --warnings -l "$page" >"$WORK/$prog.txt" 2>"$WORK/$prog.err"
    [ -s "$WORK/$prog.err" ] && Fail "man $prog: $(cat "$WORK/$prog.err")"
    grep -q "^NAME" "$WORK/$prog.txt" || Fail "man $prog renders no NAME section"
    # --help must answer without a display.
    env -u DISPLAY -u WAYLAND_DISPLAY "$PREFIX/bin/$prog" --help >"$WORK/$prog.help" 2>&1 ||
        Fail "$prog --help failed: $(cat "$WORK/$prog.help")"
    options=$(grep -oE '(^|[ ,])--?[a-z][a-z-]*' "$WORK/$prog.help" | tr -d ' ,' | sort -u)
    [ -n "$options" ] || Fail "$prog --help lists no options"
    for option in $options; do
        grep -qe "$option" "$WORK/$prog.txt" || Fail "man $prog does not describe $option"
    done
    version=$(env -u DISPLAY "$PREFIX/bin/$prog" --version)
    grep -q " $(zcat "$page" | sed -n '1s/^[^"]*"[^"]*" "Wendal \([^"]*\)".*$/\1/p')\$" <<<"$version" ||
        Fail "$prog --version ($version) is not the manual page's version"
done

# The installed runner is the build's: the same ROM screen from both.
"$PREFIX/bin/wendal-run" --frames 200 --text >"$WORK/installed.txt" 2>&1 ||
    Fail "installed wendal-run: $(cat "$WORK/installed.txt")"
"$BUILT_RUN" --frames 200 --text >"$WORK/built.txt" 2>&1
[ "$(grep -c . "$WORK/installed.txt")" -gt 0 ] || Fail "installed wendal-run printed an empty screen"
cmp -s "$WORK/installed.txt" "$WORK/built.txt" || Fail "installed and built runners differ"

[ $failures -eq 0 ] && echo "installed tree: all checks passed"
exit $((failures > 0))
