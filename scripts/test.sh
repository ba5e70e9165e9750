#!/usr/bin/env bash
# Builds everything, runs every test program under Wine in a fresh Wine prefix on a private
# Xvfb display, and checks that every C++ file is laid out as .clang-format says.
# Usage: bash scripts/test.sh   (KESTREL_BUILD_DIR chooses the build folder)
set -euo pipefail
source "$(dirname "$0")/env.sh"

# check_format: names every tracked .cpp and .h file that clang-format would change.
check_format() {
    local file unformatted=()
    while IFS= read -r file; do
        clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
    done < <(cd "$KESTREL_ROOT" && git ls-files '*.cpp' '*.h')
    if [ ${#unformatted[@]} -gt 0 ]; then
        log "error: ${#unformatted[@]} files are not formatted (clang-format -i FILE mends one):"
        printf '    %s\n' "${unformatted[@]}" >&2
        return 1
    fi
    log "formatting: every .cpp and .h file matches .clang-format"
}

ensure_packages clang-format
build_dir=${KESTREL_BUILD_DIR:-$KESTREL_ROOT/build}
build_all "$build_dir"

format_status=0
(cd "$KESTREL_ROOT" && check_format) || format_status=1

start_fresh_wine test

test_status=0
(cd "$build_dir" && ctest --output-on-failure --timeout 900) || test_status=1

[ $format_status -eq 0 ] || log "error: the formatting check failed (files named above)"
[ $test_status -eq 0 ] || log "error: tests failed (named above by ctest)"
[ $format_status -eq 0 ] && [ $test_status -eq 0 ] || exit 1
log "every test passed and every file is formatted"
