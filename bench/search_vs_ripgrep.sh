#!/usr/bin/env bash
# Compares the keyword search with ripgrep on one workload, in one run:
# 80 generated data pages of about 300 KB (CP932) and 30 keywords.
#   - kanro: the whole search in process (read, decode, search), from
#     bench_search_bench, which generates the same pages (deterministic);
#   - ripgrep once per keyword:  rg -l -E sjis -e KEYWORD Data/
#   - ripgrep in a single pass:  rg -c -E sjis -f keywords.txt Data/
#
# usage: bench/search_vs_ripgrep.sh [BIN_DIR]   (BIN_DIR holds bench_search_bench;
#        default build/bin).  REPEAT=n sets the rounds (default 5), RG the rg binary.
set -euo pipefail

bin_dir=${1:-build/bin}
rg=${RG:-rg}
repeat=${REPEAT:-5}
bench="$bin_dir/bench_search_bench"
[ -x "$bench" ] || { echo "no $bench; build the target bench_search_bench first" >&2; exit 2; }
command -v "$rg" > /dev/null || { echo "ripgrep ($rg) not found" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kanro-rg-XXXXXX")
trap 'rm -rf "$work"' EXIT
"$bench" --write-workload "$work"
pages=$(find "$work/Data" -name '*.htm' | wc -l)
bytes=$(cat "$work"/Data/*.htm | wc -c)
keywords=$(wc -l < "$work/keywords.txt")
echo "workload: $pages pages, $((bytes / 1024)) KiB, $keywords keywords"
cat "$work"/Data/*.htm > /dev/null  # page cache warm for everyone

now_ns() { date +%s%N; }
best_each=""
best_single=""
for _ in $(seq "$repeat"); do
  t0=$(now_ns)
  while IFS= read -r keyword; do
    "$rg" -l -E sjis -e "$keyword" "$work/Data" > /dev/null || true
  done < "$work/keywords.txt"
  t1=$(now_ns)
  "$rg" -c -E sjis -f "$work/keywords.txt" "$work/Data" > /dev/null || true
  t2=$(now_ns)
  each=$(((t1 - t0) / 1000))
  single=$(((t2 - t1) / 1000))
  if [ -z "$best_each" ] || [ "$each" -lt "$best_each" ]; then best_each=$each; fi
  if [ -z "$best_single" ] || [ "$single" -lt "$best_single" ]; then best_single=$single; fi
done

# real_time of BM_KeywordSearch in ms (csv: name,iterations,real_time,cpu_time,time_unit,...)
kanro_ms=$("$bench" --benchmark_filter='^BM_KeywordSearch' --benchmark_format=csv 2> /dev/null |
  awk -F, '/^"?BM_KeywordSearch/ { print $3 }')
kanro_us=$(awk -v ms="$kanro_ms" 'BEGIN { printf "%d", ms * 1000 }')

awk -v k="$kanro_us" -v e="$best_each" -v s="$best_single" -v n="$keywords" 'BEGIN {
  printf "kanro search (in process, best of benchmark):  %8.1f ms\n", k / 1000
  printf "ripgrep, %d runs of rg -l (best of rounds):    %8.1f ms   (%.1fx kanro)\n", n, e / 1000, e / k
  printf "ripgrep, one pass rg -c -f (best of rounds):  %8.1f ms   (%.1fx kanro)\n", s / 1000, s / k
}'
