#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs each of them in turn.
#   fuzz/run.sh [SECONDS_EACH] [HARNESS...]
# SECONDS_EACH defaults to 60; HARNESS names (e.g. fuzz_texts) pick some harnesses, all by default. FUZZ_JOBS
# sets the build's parallel jobs (default 2). Installs what is missing (the project's packages, clang, libFuzzer),
# builds in build-fuzz/, keeps the growing corpora in build-fuzz/corpus/ and whatever fails in
# build-fuzz/artifacts/. Exits non-zero when any harness finds a crash, a hang, a leak or a sanitizer report.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
shift || true
jobs="${FUZZ_JOBS:-2}"
all_harnesses=(fuzz_xlsxreader fuzz_xmltokenizer fuzz_qbxmlresponses fuzz_soapcall fuzz_inifile fuzz_texts)
if [ $# -gt 0 ]; then
    harnesses=("$@")
else
    harnesses=("${all_harnesses[@]}")
fi

# clang 14 with libFuzzer and the sanitizer runtimes (libclang-rt-14-dev); unzip lays workbooks out as seeds.
bash scripts/install-deps.sh clang libclang-rt-14-dev unzip

build="build-fuzz"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
    -DCMAKE_CXX_COMPILER=clang++ -DBUILD_TESTING=OFF -DWAGETROVE_FUZZ=ON >/dev/null
cmake --build "$build" -j"$jobs" --target fuzzers

# Seeds: the hand-written ones in fuzz/seeds/, for the workbook reader the project's workbooks both whole and
# laid out as loose parts, and for the tokenizer each of their XML parts (the first byte picks the slicing).
workbook_seeds="$build/seeds/fuzz_xlsxreader"
part_seeds="$build/seeds/fuzz_xmltokenizer"
rm -rf "$workbook_seeds" "$part_seeds"
mkdir -p "$workbook_seeds" "$part_seeds"
for workbook in tests/common/fixtures/*.xlsx data/*.xlsx; do
    name="$(basename "$workbook" .xlsx)"
    cp "$workbook" "$workbook_seeds/$name.xlsx"
    while IFS= read -r part; do
        case "$part" in */) continue ;; esac
        printf '== %s\n' "$part"
        # unzip takes names as patterns: a "[" is written as the class that holds it.
        unzip -p "$workbook" "${part//\[/[[]}"
        printf '\n'
        { printf 'A'; unzip -p "$workbook" "${part//\[/[[]}"; } >"$part_seeds/$name-${part//\//_}"
    done < <(unzip -Z1 "$workbook") >"$workbook_seeds/$name.parts"
done

mkdir -p "$build/artifacts" "$build/logs"
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:${UBSAN_OPTIONS:-}"
status=0
summary=()
for harness in "${harnesses[@]}"; do
    seeds="fuzz/seeds/${harness#fuzz_}"
    corpus="$build/corpus/$harness"
    log="$build/logs/$harness.log"
    mkdir -p "$corpus"
    inputs=("$corpus" "$seeds")
    if [ -d "$build/seeds/$harness" ]; then
        inputs+=("$build/seeds/$harness")
    fi
    echo "== $harness: ${seconds}s, log in $log"
    result=0
    "$build/fuzz/$harness" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$harness-" "${inputs[@]}" >"$log" 2>&1 || result=$?
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    took="$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)"
    if [ "$result" -eq 0 ]; then
        line="$harness: passed, ${runs:-?} runs in ${took:-?}s"
    else
        status=1
        line="$harness: FAILED (exit $result), see $log and $build/artifacts/"
        grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error|ALARM|.*deadly signal|.*out-of-memory)' "$log" | head -5 || true
    fi
    echo "$line"
    summary+=("$line")
done

echo
printf '%s\n' "${summary[@]}"
exit "$status"
