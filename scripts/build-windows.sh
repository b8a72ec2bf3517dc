#!/usr/bin/env bash
# Cross-builds the Windows programs kolven.exe and kolven-cli.exe with MinGW-w64 into
# build-windows/, runs their tests under Wine (a fresh Wine prefix in a temporary folder, on a
# virtual display of its own), and packs build-windows/kolven-windows.zip: the two programs, the
# README and the example tables.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

./scripts/install-deps.sh windows
build=build-windows
werror=${KOLVEN_WERROR:-OFF}

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKOLVEN_BENCH=OFF \
    -DKOLVEN_WERROR="$werror"

# Wine: a fresh prefix, one virtual display and one persistent wine server for the whole run
# (test discovery already runs the test programs).
scratch=$(mktemp -d)
export WINEPREFIX="$scratch/wine"
display=""
cleanup() {
    wineserver -k 2>/dev/null || true
    [ -z "$display" ] || kill "$display" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
screen=$((90 + RANDOM % 400))
while [ -e "/tmp/.X$screen-lock" ]; do screen=$((screen + 1)); done
Xvfb ":$screen" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
display=$!
export DISPLAY=":$screen"
echo "== starting Wine in a fresh prefix (slow the first time)"
mkdir -p "$WINEPREFIX"
wineserver -p
time ./scripts/wine-run.sh wineboot --init >/dev/null 2>&1

cmake --build "$build" -j"$(nproc)"
# Window tests under Wine depend on its timing (a window manager's answer may come late); a test
# that fails is run once more before it counts as failed.
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --repeat until-pass:2

# Both programs must run on a bare Windows: only the system's own DLLs may be imported.
for program in app/kolven.exe cli/kolven-cli.exe; do
    imports=$(x86_64-w64-mingw32-objdump -p "$build/$program" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
    for dll in $imports; do
        case "$dll" in
            kernel32.dll|user32.dll|gdi32.dll|comdlg32.dll|comctl32.dll|shell32.dll|advapi32.dll|msvcrt.dll|api-ms-win-crt-*) ;;
            *) echo "$program imports $dll, which Windows does not ship" >&2; exit 1 ;;
        esac
    done
    echo "$program imports: $(echo $imports)"
done

# The zip: the programs without their debugging symbols, the README and the example tables.
package="$scratch/kolven-windows"
mkdir -p "$package/examples"
x86_64-w64-mingw32-strip -o "$package/kolven.exe" "$build/app/kolven.exe"
x86_64-w64-mingw32-strip -o "$package/kolven-cli.exe" "$build/cli/kolven-cli.exe"
cp README.md "$package/"
cp examples/*.tab "$package/examples/"
rm -f "$build/kolven-windows.zip"
(cd "$scratch" && zip -qr "$root/$build/kolven-windows.zip" kolven-windows)
echo "wrote $build/kolven-windows.zip"
