# Shared by the benchmark scripts: when BENCH_SUMMARY names a file (bench/run-all
# sets it), each result is added to it as one row of the report's table.
#   summary_row BENCHMARK CASE OURS PEER PEER_FIGURE RATIO GOAL MET
summary_row() {
  [ -n "${BENCH_SUMMARY:-}" ] || return 0
  printf '| %s | %s | %s | %s | %s | %s | %s | %s |\n' "$@" >> "$BENCH_SUMMARY"
}

# "yes" when the ratio is at least (at-least) or at most (at-most) the bound.
goal_met() {
  awk -v r="$2" -v b="$3" -v way="$1" 'BEGIN { ok = (way == "at-least") ? r >= b : r <= b; print (ok ? "yes" : "no") }'
}
