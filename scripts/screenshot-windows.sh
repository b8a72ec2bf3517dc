#!/bin/sh
# Takes docs/kolven-windows.png: kolven.exe under Wine, in a Wine desktop of its own on a virtual
# display, after loading a bundled table and computing its exhaustive rules. Needs a finished
# scripts/build-windows.sh, and xvfb, xdotool and imagemagick (for `import`); they are only for
# this picture, not for building.
#
#   scripts/screenshot-windows.sh [build-dir] [table]
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-windows"}
table=${2:-"$root/tests/data/breast-cancer.tab"}
out="$root/docs/kolven-windows.png"

for tool in xvfb-run xdotool import wine; do
    command -v "$tool" >/dev/null || { echo "missing: $tool (apt-get install xvfb xdotool imagemagick wine)" >&2; exit 1; }
done
[ -f "$build/app/kolven.exe" ] || { echo "build the program first: scripts/build-windows.sh" >&2; exit 1; }

# The menu bar starts at the desktop's top; "Plik" opens with a click, its third entry loads a
# table; the file dialog takes the table's Windows name (Z: is the root folder under Wine); then the
# first entry of "Dzialania" computes the exhaustive rules.
windowsName="Z:$(printf '%s' "$table" | tr / '\\')"
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
    "$0" explorer /desktop=kolven,1280x1024 "$1" 2>/dev/null & program=$!
    sleep "$4"
    xdotool mousemove 16 28 click 1; sleep 1
    xdotool mousemove 99 83 click 1; sleep 3
    xdotool type --delay 20 "$2"; xdotool key Return; sleep 3
    xdotool mousemove 64 28 click 1; sleep 1
    xdotool mousemove 123 49 click 1; sleep 8
    import -window root "$3"
    kill $program
' "$root/scripts/wine-run.sh" "$build/app/kolven.exe" "$windowsName" "$out" "${KOLVEN_SHOT_WAIT:-20}"
echo "wrote $out"
