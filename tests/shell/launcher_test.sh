#!/bin/sh
# scripts/install-launcher into a data folder inside the build folder: a .desktop entry that
# desktop-file-validate accepts, starting scripts/run with the file, for icons and bitmaps,
# with the editor's icon as a 32 x 32 PNG; --remove takes both away again.
# Usage: launcher_test.sh SOURCE_DIR BUILD_DIR
top=$1
work=$2/launcher-test
rm -rf "$work"
mkdir -p "$work"
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" HOME="$work/home"
entry=$XDG_DATA_HOME/applications/pixmora.desktop
icon=$XDG_DATA_HOME/icons/hicolor/32x32/apps/pixmora.png
failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

"$top/scripts/install-launcher" >"$work/out" 2>&1 || fail "install: exit status $?"
[ -f "$entry" ] || fail "no entry written"
desktop-file-validate "$entry" >"$work/validate" 2>&1 || fail "desktop-file-validate: $(cat "$work/validate")"
grep -qx "Exec=\"$top/scripts/run\" %f" "$entry" || fail "Exec does not start scripts/run with the file"
grep -qx "MimeType=image/x-icon;image/vnd.microsoft.icon;image/bmp;" "$entry" || fail "MimeType"
grep -qx "Icon=pixmora" "$entry" || fail "Icon"
[ "$(od -An -tx1 -N8 "$icon" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "the icon is no PNG"
# Width and height, the first two words of the IHDR chunk.
[ "$(od -An -tu1 -j16 -N8 "$icon" | tr -s ' ')" = " 0 0 0 32 0 0 0 32" ] || fail "the icon is not 32 x 32"
if command -v update-desktop-database >/dev/null; then
    grep -q "image/bmp=.*pixmora.desktop" "$XDG_DATA_HOME/applications/mimeinfo.cache" ||
        fail "not registered for bitmaps"
fi
[ ! -e "$HOME" ] || fail "wrote into the home folder"

# From a checkout whose folder name holds blanks, quotes, shell and field characters and a
# letter beyond ASCII: a valid entry that starts that checkout's scripts/run with the file.
odd="$work/check out \"ä\" 100% \$x\`y\\z"
mkdir -p "$odd/scripts" "$odd/editor/resources/icons"
cp "$top/scripts/install-launcher" "$odd/scripts/"
cp "$top/editor/resources/icons/pixmora.ico" "$odd/editor/resources/icons/"
printf '#!/bin/sh\necho "$0" "$@" >"%s/launched"\n' "$work" >"$odd/scripts/run"
chmod +x "$odd/scripts/run"
"$odd/scripts/install-launcher" >"$work/out" 2>&1 || fail "odd folder: exit status $?"
desktop-file-validate "$entry" >"$work/validate" 2>&1 || fail "odd folder: $(cat "$work/validate")"
if command -v gio >/dev/null; then
    gio launch "$entry" "$work/a b.ico" 2>"$work/validate" || fail "odd folder: $(cat "$work/validate")"
    tries=0
    while [ ! -s "$work/launched" ] && [ $tries -lt 50 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    [ "$(cat "$work/launched" 2>/dev/null)" = "$odd/scripts/run $work/a b.ico" ] ||
        fail "odd folder: the entry did not start its scripts/run with the file"
fi

"$top/scripts/install-launcher" --remove >"$work/out" 2>&1 || fail "remove: exit status $?"
[ ! -e "$entry" ] || fail "the entry is still there"
[ ! -e "$icon" ] || fail "the icon is still there"
if [ -f "$XDG_CONFIG_HOME/mimeapps.list" ]; then
    grep -q pixmora "$XDG_CONFIG_HOME/mimeapps.list" && fail "still the default for a type"
fi
[ "$failures" -eq 0 ] || exit 1
echo "scripts/install-launcher: all checks passed"
