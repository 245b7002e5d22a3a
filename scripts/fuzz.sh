#!/usr/bin/env bash
# A fuzzing campaign over the whole load:
#   bash scripts/fuzz.sh SECONDS [JOBS] [RUNS]
# Builds the libFuzzer target with clang (build-fuzz/), seeds the corpus
# with the examples, the regression files, every FT50 file the tests write
# and large seeds of a few hundred kilobytes (fuzz/make_seeds.cpp), runs
# JOBS processes for SECONDS (or until each has run RUNS inputs), and
# reports executions, coverage, corpus size and findings (kept in
# build-fuzz/findings/). Fails when anything was found.
#
# Inputs grow to 1 MB, and the limits make amplification a finding rather
# than a slow pass: no input may take more than TESSARO_FUZZ_TIMEOUT
# seconds (default 5), hold more than TESSARO_FUZZ_RSS_MB of memory in all
# (default 500) or ask for one block of more than TESSARO_FUZZ_MALLOC_MB
# (default 200).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:?usage: scripts/fuzz.sh SECONDS [JOBS] [RUNS]}"
jobs="${2:-1}"
runs="${3:--1}"
timeout="${TESSARO_FUZZ_TIMEOUT:-5}"
rss="${TESSARO_FUZZ_RSS_MB:-500}"
malloc="${TESSARO_FUZZ_MALLOC_MB:-200}"
root=$PWD
bash scripts/build.sh >/dev/null
# clang and its libFuzzer runtime, where the machine lacks them.
if ! command -v clang++ >/dev/null || ! dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q "ok installed"; then
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq clang libclang-rt-14-dev >/dev/null
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARO_FUZZ=ON \
  -DTESSARO_TESTS=OFF >/dev/null
cmake --build build-fuzz -j2 --target fuzz_load make_seeds >/dev/null

corpus=build-fuzz/corpus
findings=build-fuzz/findings
mkdir -p "$corpus" "$findings" build-fuzz/logs
cp examples/*.ft50 tests/regressions/*.ft50 "$corpus/" 2>/dev/null || true
TESSARO_KEEP_FT50="$root/$corpus" build/tests/host_tests >/dev/null 2>&1 || true
build-fuzz/fuzz/make_seeds "$corpus"
before=$(ls "$findings" | wc -l)

# A small quarantine, so that the memory limit measures the load, not ASan.
export ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=32 UBSAN_OPTIONS=print_stacktrace=1
started=$SECONDS
pids=()
for j in $(seq 1 "$jobs"); do
  build-fuzz/fuzz/fuzz_load -max_total_time="$seconds" -runs="$runs" -max_len=1048576 -timeout="$timeout" \
    -rss_limit_mb="$rss" -malloc_limit_mb="$malloc" -dict=fuzz/ft50.dict -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" >"build-fuzz/logs/job$j.log" 2>&1 &
  pids+=($!)
done
status=0
for p in "${pids[@]}"; do wait "$p" || status=1; done

execs=0
cov=0
for j in $(seq 1 "$jobs"); do
  log="build-fuzz/logs/job$j.log"
  n=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  execs=$((execs + ${n:-0}))
  c=$(grep -oE 'cov: [0-9]+' "$log" | tail -1 | awk '{print $2}')
  [ "${c:-0}" -gt "$cov" ] && cov=$c
done
after=$(ls "$findings" | wc -l)
echo "fuzz: $execs executions in $((SECONDS - started))s with $jobs job(s); coverage $cov edges; corpus $(ls "$corpus" | wc -l) files, $(du -sh "$corpus" | cut -f1)"
echo "fuzz: $((after - before)) new finding(s) in $findings"
if [ "$status" != 0 ] || [ "$after" != "$before" ]; then
  for j in $(seq 1 "$jobs"); do grep -E "ERROR|runtime error|SUMMARY" "build-fuzz/logs/job$j.log" | head -5 || true; done
  exit 1
fi
