#!/usr/bin/env bash
# Builds everything and runs every test program under Wine, in a fresh Wine prefix on a
# private Xvfb display. Usage: bash scripts/test.sh
set -euo pipefail
source "$(dirname "$0")/env.sh"

ensure_packages
build_dir=${KESTREL_BUILD_DIR:-$KESTREL_ROOT/build}
build_all "$build_dir"

prefix=$(mktemp -d /tmp/kestrel-test-prefix.XXXXXX)
cleanup() { stop_wine; rm -rf "$prefix"; }
trap cleanup EXIT
start_xvfb
start_wine "$prefix"
# Xvfb runs no window manager: Wine then waits about 2 s at every closing window unless it
# draws the frames itself.
wine_draws_frames

cd "$build_dir"
ctest --output-on-failure --timeout 900
