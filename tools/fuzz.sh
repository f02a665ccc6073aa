#!/usr/bin/env bash
# Fuzzes every reader of outside bytes for a long while, one target after
# another (the sanitizer tree's libFuzzer targets), at low priority.
#
#   tools/fuzz.sh [SECONDS] [TARGET...]     SECONDS per target, default 600
#
# Targets: text, style, fonts, markup, package, scaler (all by default).
# New inputs and anything that breaks a reader land in
# build/native-asan/fuzz-long/<target>/; a crashing input belongs in the
# target's seed folder once the reader is fixed. Prints one line per
# target: executions and findings. Exits 1 when any target found something.
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(text style fonts markup package scaler)

# target -> program and seed folders
declare -A program=(
  [text]=tests/native/fuzz_text [style]=tests/native/fuzz_style [fonts]=tests/native/fuzz_fonts
  [markup]=tests/dui/fuzz_markup [package]=tests/native/fuzz_package [scaler]=tests/native/fuzz_scaler)
declare -A seeds=(
  [text]=tests/native/corpus-text [style]=tests/native/corpus-style [fonts]=tests/native/corpus-fonts
  [markup]="tests/native/corpus-markup tests/dui/corpus" [package]=tests/native/corpus
  [scaler]=tests/native/corpus-scaler)
# The XML readers get the words of their files.
declare -A dict=(
  [style]=tests/native/markup.dict [fonts]=tests/native/markup.dict [markup]=tests/native/markup.dict)

tree=build/native-asan
if [ ! -f $tree/build.ninja ]; then
  . tools/build.sh && nelvo_build || exit 1
fi
build=()
for t in "${targets[@]}"; do
  [ -n "${program[$t]:-}" ] || { echo "fuzz: no target '$t'" >&2; exit 2; }
  build+=("$(basename "${program[$t]}")")
done
nice -n 10 ninja -C $tree --quiet "${build[@]}" || exit 1

status=0
summary=()
for t in "${targets[@]}"; do
  work=$tree/fuzz-long/$t
  mkdir -p "$work/corpus"
  dirs=()
  for d in ${seeds[$t]}; do [ -d "$d" ] && dirs+=("$d"); done
  options=()
  [ -n "${dict[$t]:-}" ] && options+=("-dict=${dict[$t]}")
  # The deepest markup seed is 250 KB; mutating inputs that long would
  # only measure the parser's speed (the corpus test runs it whole).
  [ "$t" = markup ] && options+=(-max_len=16384)
  echo "fuzz: $t for ${seconds}s" >&2
  ASAN_OPTIONS=allocator_may_return_null=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    nice -n 10 "$tree/${program[$t]}" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$work/" "${options[@]}" "$work/corpus" "${dirs[@]}" >"$work/log" 2>&1
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -1)
  findings=$(find "$work" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
    -o -name 'oom-*' -o -name 'slow-unit-*' \) | wc -l)
  [ "$findings" -eq 0 ] || status=1
  summary+=("$(printf '%-8s %12s executions  %d findings  (%s)' "$t" "${runs:-?}" "$findings" "$work")")
done
printf '%s\n' "${summary[@]}"
exit $status
