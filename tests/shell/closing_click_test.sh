#!/bin/sh
# On an X server with a window manager (Xvfb and jwm, started here) and Wine's X11 driver,
# as a user meets it: a double-click on the button that closes a box or dialog must leave
# the canvas and the palette under it as they were. Clicks are real X pointer events.
# Usage: closing_click_test.sh SOURCE_DIR BUILD_DIR
top=$1
build=$2
work=$build/closing-click-test
. "$top/tests/support/script_checks.sh"
needs Xvfb jwm xdotool import
# The prefix stays from run to run; only the files are made anew.
fresh_folder "$work/files"
export WINEPREFIX="$work/prefix" PIXMORA_BUILD_DIR="$build" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
cleanup() {
    wineserver -k 2>/dev/null
    kill $wm $xvfb 2>/dev/null # either may not be started yet
}
trap cleanup EXIT
start_xvfb 70 1024x768x24
jwm >/dev/null 2>&1 &
wm=$!
points=$build/tests/shell/screen_points.exe
# The colour at a screen point, once the pointer is out of the way.
colour_at() {
    xdotool mousemove 1000 10
    sleep 1
    import -window root -crop "1x1+$1+$2" -depth 8 txt:- | sed -n 's/.*#\([0-9A-F]\{6\}\).*/\1/p'
}
# Waits for a box or dialog and double-clicks its button; the point clicked in $x $y.
double_click() {
    for i in $(seq 60); do
        set -- $(wine "$points" button "$1" "$2" 2>/dev/null) && [ $# -eq 2 ] && break
        sleep 0.5
    done
    [ $# -eq 2 ] || { fail "no box or dialog came"; return 1; }
    x=$1 y=$2
    xdotool mousemove "$x" "$y" click --repeat 2 --delay 120 1
}

convert -size 32x32 xc:white "BMP3:$work/files/white.bmp"
"$top/scripts/wine-prefix" start "$WINEPREFIX" x11 >/dev/null 2>&1
"$top/scripts/run" "$work/files/white.bmp" >"$work/run.log" 2>&1 &
xdotool search --sync --onlyvisible --name '^Pixmora$' windowactivate >/dev/null 2>&1
sleep 2

# A message box over the canvas ("There's No undo item!", from Ctrl+Z).
xdotool key ctrl+z
if double_click Mosaro 1; then
    [ "$(colour_at "$x" "$y")" != 000000 ] || fail "the canvas under the box's OK was drawn on"
fi
# A dialog over the palette (Canvas Size, from Ctrl+N), closed with CLOSE.
fill=$(wine "$points" fill 2>/dev/null)
before=$(colour_at $fill)
xdotool key ctrl+n
if double_click "Canvas Size Box" 2; then
    [ "$(colour_at $fill)" = "$before" ] || fail "the palette under the dialog's CLOSE chose a colour"
    [ "$(colour_at "$x" "$y")" != 000000 ] || fail "the canvas under the dialog was drawn on"
fi
xdotool key ctrl+z
double_click Mosaro 1 # the editor is still there and answers
finish "closing clicks: all checks passed"
