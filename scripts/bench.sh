#!/usr/bin/env bash
# Runs every benchmark program under Wine and writes docs/performance.md: one row per
# figure with its median, worst and aim. Usage: bash scripts/bench.sh
# The soak sends a million messages (about 18 minutes under Wine); KESTREL_SOAK_MESSAGES
# sets another count for a quicker table.
set -euo pipefail
source "$(dirname "$0")/env.sh"

ensure_packages
build_dir=${KESTREL_BUILD_DIR:-$KESTREL_ROOT/build}
build_all "$build_dir"

start_fresh_wine bench

rows=$(mktemp)
soak_messages=${KESTREL_SOAK_MESSAGES:-1000000}
failed=()
for bench in "$build_dir"/bench/bench_*.exe; do
    name=$(basename "$bench")
    log "running $name"
    args=()
    # Every benchmark has a deadline; the soak's grows with its length (about 1.1 ms a
    # message under Wine, given four times that).
    limit=900
    if [ "$name" = bench_agent_soak.exe ]; then
        args=("$soak_messages")
        limit=$((600 + soak_messages * 45 / 10000))
    fi
    # Benchmarks print tab-separated rows: figure, median, worst, unit, aim.
    if ! (cd "$(dirname "$bench")" && timeout "$limit" wine64 "$bench" "${args[@]}" 2>/dev/null) |
        tr -d '\r' | awk -F'\t' 'NF == 5' >>"$rows"; then
        log "error: $name failed or ran longer than $limit s"
        failed+=("$name")
    fi
done
# A table with rows missing would pass for a complete one: the old table stays instead.
if [ ${#failed[@]} -gt 0 ]; then
    rm -f "$rows"
    fail "docs/performance.md left as it was, since these benchmarks failed: ${failed[*]}"
fi

report="$KESTREL_ROOT/docs/performance.md"
mkdir -p "$(dirname "$report")"
# The sections written by hand below the table (from its first "## " heading on) stay.
notes=""
[ -f "$report" ] && notes=$(awk '/^## /{keep=1} keep' "$report")
{
    echo "# Performance"
    echo
    echo "Made by \`bash scripts/bench.sh\` on $(date -u +%Y-%m-%d): $(nproc) cores, Wine $(wine64 --version)."
    echo "Each figure is the median and the worst of repeated runs on that machine; the soak"
    echo "rows give the figure after start-up as the median and at the end as the worst"
    echo "($soak_messages messages)."
    echo
    echo "| Figure | Median | Worst | Unit | Aim |"
    echo "|---|---:|---:|---|---|"
    awk -F'\t' '{ printf "| %s | %s | %s | %s | %s |\n", $1, $2, $3, $4, $5 }' "$rows"
    if [ -n "$notes" ]; then
        echo
        printf '%s\n' "$notes"
    fi
} >"$report"
rm -f "$rows"
cat "$report"
