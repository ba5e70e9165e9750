#!/usr/bin/env bash
# Builds everything and runs every test program under Wine, in a fresh Wine prefix on a
# private Xvfb display. Usage: bash scripts/test.sh
set -euo pipefail
source "$(dirname "$0")/env.sh"

ensure_packages
build_dir=${KESTREL_BUILD_DIR:-$KESTREL_ROOT/build}
build_all "$build_dir"

start_fresh_wine test

cd "$build_dir"
ctest --output-on-failure --timeout 900
