#!/usr/bin/env bash
# Builds every fuzz target into build-fuzz/ and runs each for a bounded time.
#   FUZZ_SECONDS  seconds per target (default 60)
#   FUZZ_TARGETS  space-separated target names to run (default: all)
# Inputs under fuzz/regressions/<target>/ are replayed first. Fails when a replayed input
# or a fuzzing run finds a fault; the input that shows it is left in
# build-fuzz/artifacts/<target>/.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-fuzz
seconds=${FUZZ_SECONDS:-60}

cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null || exit 1
cmake --build "$build" -j 2 || exit 1

# Longest input per target: enough for several records, headers or pages, short enough
# to keep the executions fast.
max_len() {
    case $1 in
        fuzz_crack_url) echo 512 ;;
        fuzz_text) echo 512 ;;
        fuzz_list_file | fuzz_regex_object | fuzz_page_markers | fuzz_promotion_text) echo 4096 ;;
        fuzz_ico_file) echo 20000 ;;
        *) echo 2048 ;;
    esac
}

targets=${FUZZ_TARGETS:-$(cd "$build" && ls fuzz_* 2>/dev/null | grep -v '\.' | sort)}
failed=()
summary=()
for target in $targets; do
    binary=$build/$target
    name=${target#fuzz_}
    [ -x "$binary" ] || { failed+=("$target (not built)"); continue; }
    artifacts=$build/artifacts/$target
    corpus=$build/corpus/$target
    log=$build/logs/$target.log
    mkdir -p "$artifacts" "$corpus" "$(dirname "$log")"
    [ -d "fuzz/corpus/$name" ] && cp -n fuzz/corpus/"$name"/* "$corpus"/ 2>/dev/null

    if [ -d "fuzz/regressions/$name" ] && [ -n "$(ls -A "fuzz/regressions/$name")" ]; then
        if ! "$binary" -rss_limit_mb=2048 fuzz/regressions/"$name"/* >"$log.regressions" 2>&1; then
            echo "$target: a regression input fails (see $log.regressions)"
            failed+=("$target (regression)")
        fi
    fi

    "$binary" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
        -max_len="$(max_len "$target")" -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    [ -n "$runs" ] || runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log" | tail -1)
    if [ $status -ne 0 ]; then
        failed+=("$target")
        grep -E "PROPERTY FAILED|ERROR: |SUMMARY" "$log" | head -5
        summary+=("$(printf '%-30s %12s executions  FAULT (%s)' "$target" "${runs:-?}" "$log")")
    else
        summary+=("$(printf '%-30s %12s executions  ok' "$target" "${runs:-?}")")
    fi
done

echo
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -ne 0 ]; then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "all fuzz targets ran without a finding (${seconds} s each)"
