#!/usr/bin/env bash
# How much of the product the tests reach: builds everything with gcov counters in a build
# folder of its own, runs every test under Wine in a fresh prefix (each program writes its
# counters when it exits), and writes line and branch coverage of agent/, common/,
# customizer/ and platform/ to docs/coverage.md, with the lines no test reaches.
# Usage: bash scripts/coverage.sh   (KESTREL_COVERAGE_DIR chooses the build folder)
set -euo pipefail
source "$(dirname "$0")/env.sh"

ensure_packages gcovr
build_dir=${KESTREL_COVERAGE_DIR:-$KESTREL_ROOT/build-coverage}
build_all "$build_dir" -DKESTREL_COVERAGE=ON -DKESTREL_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
# Counters left by an earlier run would add up with this one's.
find "$build_dir" -name '*.gcda' -delete

start_fresh_wine coverage
test_status=0
(cd "$build_dir" && ctest --output-on-failure --timeout 1800) || test_status=1
# Every program of the run has ended now, so every counter file is complete.
stop_wine

summary=$build_dir/coverage-summary.json
missing=$build_dir/coverage-missing-lines.txt
cd "$KESTREL_ROOT"
# The trace is built twice, switched off and on, with its one function at two places;
# gcovr cannot merge the two, so it is counted as the tests use it: switched on.
quietly "measuring the coverage (gcovr)" \
    gcovr --root "$KESTREL_ROOT" --object-directory "$build_dir" \
    --gcov-executable x86_64-w64-mingw32-gcov \
    --filter 'agent/' --filter 'common/' --filter 'customizer/' --filter 'platform/' \
    --exclude-unreachable-branches --exclude-throw-branches \
    --exclude-directories '.*kestrel_trace_off\.dir.*' \
    --json-summary "$summary" --txt "$missing"

report="$KESTREL_ROOT/docs/coverage.md"
python3 - "$summary" "$report" "$(date -u +%Y-%m-%d)" "$test_status" <<'EOF'
import json, sys
from collections import defaultdict

summary_path, report_path, day, test_status = sys.argv[1:]
files = json.load(open(summary_path))["files"]
folders = defaultdict(lambda: [0, 0, 0, 0])
for f in files:
    for top in (f["filename"].split("/")[0], "all"):
        for i, key in enumerate(("line_covered", "line_total", "branch_covered", "branch_total")):
            folders[top][i] += f[key]

def share(covered, total):
    return "–" if total == 0 else f"{100.0 * covered / total:.1f} % ({covered}/{total})"

out = ["# Coverage", "",
       f"Made by `bash scripts/coverage.sh` on {day}: the whole test suite under Wine, on a build",
       "with gcov counters (unoptimised), measured with gcovr. Branches that only throw, and",
       "branches the compiler proved unreachable, are left out; `common/trace.cpp` is counted",
       "as the tests build it, with the trace switched on.", ""]
if test_status != "0":
    out += ["**Some tests failed in this run; the figures count what ran.**", ""]
out += ["| Folder | Lines | Branches |", "|---|---:|---:|"]
for top in ("agent", "common", "customizer", "platform", "all"):
    c = folders[top]
    name = "**all four**" if top == "all" else f"`{top}/`"
    out.append(f"| {name} | {share(c[0], c[1])} | {share(c[2], c[3])} |")
out += ["", "## Per file", "",
        "| File | Lines | Branches |", "|---|---:|---:|"]
for f in sorted(files, key=lambda f: f["filename"]):
    out.append(f"| `{f['filename']}` | {share(f['line_covered'], f['line_total'])} | "
               f"{share(f['branch_covered'], f['branch_total'])} |")
open(report_path, "w").write("\n".join(out) + "\n")
EOF

cat "$report"
log "the lines no test reaches, file by file: $missing"
[ $test_status -eq 0 ] || fail "tests failed in the coverage run (named above by ctest)"
