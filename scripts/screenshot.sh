#!/bin/sh
# Takes docs/kolven-window.png: the main window after loading a bundled table and computing its
# exhaustive rules, on a virtual display. Needs xvfb, xdotool and imagemagick (for `import`);
# they are only for this picture, not for building.
#
#   scripts/screenshot.sh [build-dir] [table]
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
table=${2:-"$root/tests/data/breast-cancer.tab"}
out="$root/docs/kolven-window.png"

for tool in xvfb-run xdotool import; do
    command -v "$tool" >/dev/null || { echo "missing: $tool (apt-get install xvfb xdotool imagemagick)" >&2; exit 1; }
done
[ -x "$build/app/kolven" ] || { echo "build the program first: cmake --build $build --target kolven" >&2; exit 1; }

# Inside the virtual display: open "Plik", choose the third entry (load a decision system), type
# the table's name into the file dialog, then open "Dzialania" and choose its first entry
# (compute exhaustive rules). Without a window manager the menu bar starts at the screen's top.
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
    "$0" 2>/dev/null & program=$!
    sleep 3
    xdotool mousemove 20 9 click 1; sleep 1
    xdotool key Down Down Down Return; sleep 2
    xdotool type --delay 20 "$1"; xdotool key Return; sleep 3
    xdotool mousemove 72 9 click 1; sleep 1
    xdotool key Down Return; sleep "$3"
    import -window root "$2"
    kill $program
' "$build/app/kolven" "$table" "$out" "${KOLVEN_SHOT_WAIT:-10}"
echo "wrote $out"
