#!/usr/bin/env bash
# Compares the page conversion with perl doing the same rewrites, in one run:
# 80 generated goo pages of about 300 KB (8 days x 10 prefectures).
#   - kanro: bench_convert_bench --convert-workload (decode, site rewrites,
#     white-space folding, the default rules, watch links, one data page per
#     page), timed as a whole process;
#   - perl -p -i over copies of the same pages with three programs that
#     bench_convert_bench generates from the converter's own rewrite table and
#     the default Replace.txt:
#       convert.pl         the same work byte for byte: EUC-JP to CP932 by the
#                          converter's row/cell rule (a perl loop), the site
#                          rewrites, folding and rules over characters, watch
#                          links;
#       convert_encode.pl  the same with Encode's EUC-JP decoder (XS, faster,
#                          a few symbols differ);
#       convert_bytes.pl   the rewrites alone on the raw bytes, no code pages
#                          (less work than the converter does).
# The listing lines of kanro and convert.pl are compared: they must be identical.
#
# usage: bench/convert_vs_perl.sh [BIN_DIR]   (BIN_DIR holds bench_convert_bench;
#        default build/bin).  REPEAT=n sets the rounds (default 5); the best
#        round of each side counts.
set -euo pipefail

bin_dir=${1:-build/bin}
repeat=${REPEAT:-5}
bench="$bin_dir/bench_convert_bench"
[ -x "$bench" ] || { echo "no $bench; build the target bench_convert_bench first" >&2; exit 2; }
command -v perl > /dev/null || { echo "perl not found" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kanro-perl-XXXXXX")
trap 'rm -rf "$work"' EXIT
"$bench" --write-workload "$work" > /dev/null
pages=$(find "$work/pages" -name '*.html' | wc -l)
bytes=$(cat "$work"/pages/*.html | wc -c)
echo "workload: $pages pages, $((bytes / 1024)) KiB"

now_ns() { date +%s%N; }
best_kanro=""
best_exact=""
best_encode=""
best_bytes=""
keep_best() { if [ -z "${!1}" ] || [ "$2" -lt "${!1}" ]; then printf -v "$1" '%s' "$2"; fi; }
for _ in $(seq "$repeat"); do
  rm -rf "$work/Data" "$work/exact" "$work/encode" "$work/bytes"
  for variant in exact encode bytes; do cp -r "$work/pages" "$work/$variant"; done
  t0=$(now_ns)
  "$bench" --convert-workload "$work" > /dev/null
  t1=$(now_ns)
  perl -p -i "$work/convert.pl" "$work"/exact/*.html
  t2=$(now_ns)
  perl -p -i "$work/convert_encode.pl" "$work"/encode/*.html
  t3=$(now_ns)
  perl -p -i "$work/convert_bytes.pl" "$work"/bytes/*.html
  t4=$(now_ns)
  keep_best best_kanro $(((t1 - t0) / 1000))
  keep_best best_exact $(((t2 - t1) / 1000))
  keep_best best_encode $(((t3 - t2) / 1000))
  keep_best best_bytes $(((t4 - t3) / 1000))
done

# The data page is the page skeleton (13 lines before, 4 after) around the
# converted listing lines, which must equal perl's output.
differ=0
for page in "$work"/exact/*.html; do
  name=$(basename "$page" .html)
  if ! sed -n '14,$p' "$work/Data/$name.htm" | head -n -4 | cmp -s - "$page"; then
    differ=$((differ + 1))
  fi
done
echo "listing lines identical to perl's on $((pages - differ)) of $pages pages"
report() { awk -v name="$1" -v t="$2" -v k="$best_kanro" -v b="$bytes" 'BEGIN {
  printf "%-34s %6d ms %6.1f MB/s   kanro/perl time %.3f\n", name, t / 1000, b / t, k / t }'; }
awk -v k="$best_kanro" -v b="$bytes" 'BEGIN { printf "%-34s %6d ms %6.1f MB/s\n", "kanro (whole process)", k / 1000, b / k }'
report "perl, same work (exact)" "$best_exact"
report "perl, same work (Encode EUC-JP)" "$best_encode"
report "perl, rewrites on raw bytes only" "$best_bytes"
[ "$differ" -eq 0 ]
