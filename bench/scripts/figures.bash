# Sourced by the bench scripts: what a run needs before it starts, and the
# lines each prints for bench/run.sh's table.
# shellcheck shell=bash

bench_name=$(basename "$0")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd) # the bench scripts' folder
e2e=$here/../../tests/e2e                           # their shared harness

need_programs() { # need_programs <path>...: built programs the run drives
  local f
  for f; do [ -x "$f" ] || { echo "$bench_name: $f is missing" >&2; exit 1; }; done
}

need_tools() { # need_tools <command>...: tools from the machine's packages
  local t
  for t; do command -v "$t" >/dev/null || { echo "$bench_name: $t is not installed" >&2; exit 1; }; done
}

# figure <name> <value> <op> <limit>: "<=" or ">=" a limit; a limit of "-"
# prints the value with no target. An empty value (nothing measured) misses.
figure() {
  if [ "$4" = - ]; then
    echo "$1 $2 target- -"
  else
    awk -v n="$1" -v v="$2" -v op="$3" -v l="$4" \
      'BEGIN { ok = v != "" && ((op == "<=") ? (v + 0 <= l + 0) : (v + 0 >= l + 0));
               printf "%s %s target%s%s %s\n", n, v, op, l, ok ? "OK" : "MISS" }'
  fi
}

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
worst() { sort -g | tail -n1; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
