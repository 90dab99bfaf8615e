#!/usr/bin/env bash
# run-fuzzer.sh FUZZER SEEDS WORKDIR: runs FUZZER for $TOLVAN_FUZZ_SECONDS (default 60)
# on a corpus grown from SEEDS; a crash or a failed property leaves its input in
# WORKDIR and fails the run.
set -euo pipefail
fuzzer=$1 seeds=$2 work=$3
seconds=${TOLVAN_FUZZ_SECONDS:-60}
mkdir -p "$work/corpus"
log="$work/last-run.log"
status=0
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/" "$work/corpus" "$seeds" >"$log" 2>&1 || status=$?
if ((status != 0)); then
    tail -n 40 "$log"
fi
exit "$status"
