#!/bin/sh
# Runs a Windows program of the cross-build under Wine, headless and quiet: the emulator the
# tests of build-windows/ run under. scripts/build-windows.sh sets WINEPREFIX (a fresh prefix in a
# temporary folder) and DISPLAY (its own virtual display); run alone, this script takes a prefix
# of its own in the temporary folder and a virtual display per call.
#
#   scripts/wine-run.sh program.exe [arguments...]
set -eu

export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/kolven-wine-$(id -u)}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No installer prompts for the .NET and HTML runtimes, which the programs do not use.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Programs get their arguments as UTF-16 converted from this locale: non-ASCII paths need UTF-8.
export LC_ALL=C.UTF-8

wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=wine

if [ -n "${DISPLAY:-}" ]; then
    exec "$wine" "$@"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$wine" "$@"
