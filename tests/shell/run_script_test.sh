#!/bin/sh
# scripts/run as a user without a display meets it: a plain message and a non-zero exit, at
# once and before any build when no display is set, and after the build when the X server
# named will not talk to Wine; the prefix is WINEPREFIX, else PIXMORA_WINE_PREFIX.
# Everything stays in the build folder. Usage: run_script_test.sh SOURCE_DIR BUILD_DIR
top=$1
build=$2
work=$build/run-script-test
. "$top/tests/support/script_checks.sh"
fresh_folder "$work"
# Runs scripts/run in a clean environment with the given variables, on $file when that is set;
# its exit status in $code and what it wrote to the terminal in $work/out.
file=
run() {
    code=0
    env -u DISPLAY -u WAYLAND_DISPLAY -u WINEPREFIX -u PIXMORA_WINE_PREFIX \
        HOME="$work/home" PIXMORA_BUILD_DIR="$build" "$@" "$top/scripts/run" ${file:+"$file"} \
        >"$work/out" 2>&1 </dev/null || code=$?
}

started=$(date +%s)
run
took=$(($(date +%s) - started))
echo "scripts/run without a display ended after $took s"
[ "$took" -lt 5 ] || fail "no display: told only after $took s"
[ "$code" -ne 0 ] || fail "no display: exit status 0"
grep -q "no display: neither DISPLAY nor WAYLAND_DISPLAY is set" "$work/out" ||
    fail "no display: no message saying so"
grep -q "xvfb-run" "$work/out" || fail "no display: the message does not say how to run it"
grep -q "Built target\|Pixmora needs these Debian packages" "$work/out" &&
    fail "no display: built or checked packages first"
[ ! -e "$work/home/.local/share/pixmora" ] || fail "no display: a prefix was made anyway"

# An X display nobody serves: Wine cannot open a window there.
n=$(free_display 90)
run DISPLAY=":$n" PIXMORA_WINE_PREFIX="$work/prefix"
[ "$code" -ne 0 ] || fail "refused display: exit status 0"
grep -q "no display: the X server at DISPLAY=:$n" "$work/out" ||
    fail "refused display: no message saying so"
grep -q "nodrv_CreateWindow" "$work/out" && fail "refused display: Wine's own lines shown"
[ -d "$work/prefix/drive_c" ] || fail "PIXMORA_WINE_PREFIX was not the prefix"
run DISPLAY=":$n" WINEPREFIX="$work/prefix" PIXMORA_WINE_PREFIX="$work/not-this-one"
[ "$code" -ne 0 ] || fail "refused display with WINEPREFIX: exit status 0"
[ ! -e "$work/not-this-one" ] || fail "WINEPREFIX did not win over PIXMORA_WINE_PREFIX"
# Relative folders are taken from where the command runs, also when the file to open lies
# in another folder, where the editor starts.
cd "$work"
file=$top/editor/resources/icons/pixmora.ico
run DISPLAY=":$n" PIXMORA_WINE_PREFIX=prefix PIXMORA_BUILD_DIR=..
grep -q "no display: the X server at DISPLAY=:$n" "$work/out" ||
    fail "relative build and prefix folders: the editor did not start"

WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null
[ "$failures" -eq 0 ] || { cat "$work/out" >&2; exit 1; }
echo "scripts/run: all checks passed"
