#!/bin/sh
# scripts/install-launcher into a data folder inside the build folder: a .desktop entry that
# desktop-file-validate accepts, starting the built editor through scripts/run --no-build
# with the file, for icons and bitmaps, with the editor's icon as a 32 x 32 PNG; --remove
# takes both away again. The entry, started on a virtual X server, brings the editor's
# window up without the package installer or CMake, and tells how to build a missing editor.
# Usage: launcher_test.sh SOURCE_DIR BUILD_DIR
top=$1
build=$2
work=$build/launcher-test
. "$top/tests/support/script_checks.sh"
fresh_folder "$work"
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" HOME="$work/home"
entry=$XDG_DATA_HOME/applications/pixmora.desktop
icon=$XDG_DATA_HOME/icons/hicolor/32x32/apps/pixmora.png

"$top/scripts/install-launcher" >"$work/out" 2>&1 || fail "install: exit status $?"
[ -f "$entry" ] || fail "no entry written"
desktop-file-validate "$entry" >"$work/validate" 2>&1 || fail "desktop-file-validate: $(cat "$work/validate")"
grep -qx "Exec=\"$top/scripts/run\" --no-build %f" "$entry" ||
    fail "Exec does not start the built editor with the file"
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

# Starting from the entry: every command that would install packages or build records its
# name and fails, so the editor must come up without them.
fake=$work/fake-bin
mkdir -p "$fake"
for tool in apt-get apt dpkg-query cmake make ninja; do
    printf '#!/bin/sh\necho %s >>"%s/ran"\nexit 1\n' "$tool" "$work" >"$fake/$tool"
    chmod +x "$fake/$tool"
done
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
    # The prefix lasts from run to run, as a user's does; only its first start is slow. One
    # made before the script that makes prefixes last changed is made again, as it may lack
    # what the script now sets up.
    prefix=$build/launcher-prefix
    [ ! "$top/scripts/wine-prefix" -nt "$prefix/.pixmora-x11" ] || rm -rf "$prefix"
    start_xvfb 80 480x640x24
    export PIXMORA_WINE_PREFIX="$prefix" PIXMORA_BUILD_DIR="$build"
    unset WINEPREFIX WAYLAND_DISPLAY
    "$top/scripts/wine-prefix" start "$prefix" x11 >/dev/null 2>&1
    cp "$top/editor/resources/icons/pixmora.ico" "$work/start.ico"
    # Two starts from the entry, timed to the window's showing (looked for every 20 ms): the
    # first with Wine's background not running, as after a login, so Wine boots first; the
    # second after the editor has ended, with Wine's background kept up for it.
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null
    for start in "first start (Wine boots)" "start again (Wine up)"; do
        started=$(date +%s%N)
        if command -v gio >/dev/null; then
            PATH="$fake:$PATH" gio launch "$entry" "$work/start.ico" >"$work/started" 2>&1
        else
            PATH="$fake:$PATH" "$top/scripts/run" --no-build "$work/start.ico" >"$work/started" 2>&1 &
        fi
        window=
        while [ -z "$window" ] && [ $((($(date +%s%N) - started) / 1000000000)) -lt 60 ]; do
            window=$(xdotool search --onlyvisible --name '^Pixmora$' 2>/dev/null | head -n 1)
            [ -n "$window" ] || sleep 0.02
        done
        if [ -n "$window" ]; then
            elapsed=$((($(date +%s%N) - started) / 1000000))
            printf 'launcher: %s: the editor was up %d.%03d s after its entry started it\n' \
                "$start" $((elapsed / 1000)) $((elapsed % 1000))
        else
            fail "$start: the entry did not bring the editor's window up: $(cat "$work/started")"
            break
        fi
        # The window ends the desktop's startup notification only if its class is the entry's.
        class=$(xprop -id "$window" WM_CLASS 2>/dev/null | sed -n 's/^WM_CLASS(STRING) = "\([^"]*\)".*/\1/p')
        grep -qx "StartupWMClass=$class" "$entry" || fail "the window's class \"$class\" is not the entry's"
        WINEPREFIX="$prefix" wine taskkill /im Pixmora.exe /f >/dev/null 2>&1
        while xdotool search --onlyvisible --name '^Pixmora$' >/dev/null 2>&1; do sleep 0.05; done
    done
    [ ! -s "$work/ran" ] || fail "starting from the entry ran: $(tr '\n' ' ' <"$work/ran")"
    # Wine booted without the services Pixmora's own prefix leaves to start on demand.
    for cmdline in $(grep -lsaE 'plugplay\.exe|svchost\.exe' /proc/[0-9]*/cmdline); do
        grep -qszxF "WINEPREFIX=$prefix" "${cmdline%/cmdline}/environ" &&
            fail "Wine's boot started $(tr '\0' ' ' <"$cmdline")"
    done

    # No build yet: no editor, a message that says how to make it, and still nothing run.
    rm -f "$work/ran"
    code=0
    PATH="$fake:$PATH" PIXMORA_BUILD_DIR="$work/no-build" "$top/scripts/run" --no-build \
        >"$work/started" 2>&1 </dev/null || code=$?
    [ "$code" -ne 0 ] || fail "missing build: exit status 0"
    grep -q "not built yet" "$work/started" && grep -qF "$top/scripts/run" "$work/started" ||
        fail "missing build: no message saying how to build: $(cat "$work/started")"
    [ ! -s "$work/ran" ] || fail "missing build: ran $(tr '\n' ' ' <"$work/ran")"
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null
    kill "$xvfb" 2>/dev/null
    unset DISPLAY
else
    echo "launcher: no Xvfb or xdotool; the start from the entry was not tried"
fi

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
    [ "$(cat "$work/launched" 2>/dev/null)" = "$odd/scripts/run --no-build $work/a b.ico" ] ||
        fail "odd folder: the entry did not start its scripts/run with the file"
fi

"$top/scripts/install-launcher" --remove >"$work/out" 2>&1 || fail "remove: exit status $?"
[ ! -e "$entry" ] || fail "the entry is still there"
[ ! -e "$icon" ] || fail "the icon is still there"
if [ -f "$XDG_CONFIG_HOME/mimeapps.list" ]; then
    grep -q pixmora "$XDG_CONFIG_HOME/mimeapps.list" && fail "still the default for a type"
fi
finish "scripts/install-launcher: all checks passed"
