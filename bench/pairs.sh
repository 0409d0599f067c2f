# Paired timing for the bench scripts (sourced): A and B run in turn, RUNS
# times each after one unmeasured run of each, each a whole process timed by
# GNU time. Prints the medians of wall and CPU (user + system) seconds of each
# and the median of the ratios A/B taken pair by pair, which holds when the
# machine's speed drifts during the runs.
#   pair NAME 'A COMMAND' 'B COMMAND'    (each run by bash -c, its output discarded)
pair() {
  local name=$1 a=$2 b=$3 log i
  log=$(mktemp)
  bash -c "$a" >/dev/null 2>&1 && bash -c "$b" >/dev/null 2>&1 || { echo "pair $name: a command fails" >&2; return 1; }
  for i in $(seq "${RUNS:-5}"); do
    /usr/bin/time -a -o "$log" -f "A %e %U %S" bash -c "$a" >/dev/null 2>&1 &&
      /usr/bin/time -a -o "$log" -f "B %e %U %S" bash -c "$b" >/dev/null 2>&1 ||
      { echo "pair $name: a command fails" >&2; rm -f "$log"; return 1; }
  done
  awk -v name="$name" '
    function median(v, n,   i, j, t) {
      for (i = 2; i <= n; i++) for (j = i; j > 1 && v[j - 1] > v[j]; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
      return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    }
    $1 == "A" { na++; aw[na] = $2; ac[na] = $3 + $4 }
    $1 == "B" { nb++; bw[nb] = $2; bc[nb] = $3 + $4; rw[nb] = aw[nb] / $2; rc[nb] = ac[nb] / bc[nb] }
    END {
      printf "%s (%d pairs)\n", name, nb
      printf "  A: wall %.2f s, cpu %.2f s\n", median(aw, na), median(ac, na)
      printf "  B: wall %.2f s, cpu %.2f s\n", median(bw, nb), median(bc, nb)
      printf "  A/B: wall %.3f, cpu %.3f\n", median(rw, nb), median(rc, nb)
    }' "$log"
  rm -f "$log"
}
