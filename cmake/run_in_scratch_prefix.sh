#!/usr/bin/env bash
# ctest runs every test command through this: the tests delete the settings of the Wine
# prefix they run in, so they never run in the user's own.
#
# Inside a run that already made a fresh prefix (scripts/test.sh, start_fresh_wine), the
# command runs there as it is. Otherwise it runs in the build folder's own prefix PREFIX
# (made on first use, kept between runs) on a private display; the display and the prefix's
# wineserver end with the command, also on Ctrl+C. One command at a time uses PREFIX.
# Usage: run_in_scratch_prefix.sh PREFIX COMMAND [ARGS...]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/env.sh"

[ $# -ge 2 ] || fail "usage: run_in_scratch_prefix.sh PREFIX COMMAND [ARGS...]"
prefix=$1
shift

if [ -n "${KESTREL_SCRATCH_PREFIX:-}" ] && [ "${WINEPREFIX:-}" = "$KESTREL_SCRATCH_PREFIX" ]; then
    exec "$@"
fi

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock -w 1800 9 || fail "waited 30 minutes for another test command to leave $prefix"

trap 'stop_wine' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP
start_xvfb
export WINEPREFIX=$prefix KESTREL_SCRATCH_PREFIX=$prefix
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# A prefix whose making was cut short is made again from nothing.
if [ ! -f "$prefix/.kestrel-scratch-ready" ]; then
    rm -rf "$prefix"
    mkdir -p "$prefix"
    log "making the build's scratch Wine prefix $prefix"
    quietly "making the Wine prefix $prefix (wineboot)" timeout 300 wine64 wineboot -i
    configure_fonts
    unmanaged_windows_for hostile_tests.exe
    wine_draws_frames
    touch "$prefix/.kestrel-scratch-ready"
fi

status=0
"$@" || status=$?
exit "$status"
