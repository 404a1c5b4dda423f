#!/usr/bin/env bash
# The streaming throughput of the Windows DLL under Wine beside the native
# module's: plays bench_pump's movies (an NTSC DV movie of about 2 GB and a
# million tiny samples) with `qtgraph run --no-hash` natively and with
# `wine qtgraph.exe run --no-hash`, RUNS times each in turns, and prints the
# median MB/s and samples/s of each. qtgraph times a run from Pause to its
# end; the file is in the page cache after the first run.
#
#     bash bench/wine_pump.sh [RUNS]     (default 3)
#
# Needs ./test.sh's build-dev/ and `cmake --workflow --preset windows`. Not a
# test, and never run as one.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
dir=/tmp/qtp_bench_pump
build-dev/bin/bench_pump --dir="$dir" --only=dv,tiny --make-only

export QTP_REGISTRY=$PWD/build-dev/bench-registry.reg
build-dev/bin/qtgraph register >/dev/null
export WINEPREFIX=$PWD/build-windows/bench-prefix WINEDEBUG=-all WINEDLLOVERRIDES=winealsa.drv=d
unset DISPLAY
trap 'timeout 30 wineserver -k >/dev/null 2>&1 || true' EXIT
timeout 300 wine regsvr32 /s build-windows/bin/ostrivel-qtparser.dll

# One run's "seconds bytes samples" from its JSON.
measure() {
  "$@" | python3 -c 'import json, sys
r = json.load(sys.stdin)
assert r["result"] == "0x00000000", r["result"]
print(r["seconds"], sum(p["bytes"] for p in r["pins"]), sum(p["samples"] for p in r["pins"]))'
}

printf '%-24s %-7s %10s %12s %14s\n' movie build seconds MB/s samples/s
for movie in "$dir"/dv_ntsc_*f.mov "$dir"/tiny_*f.mov; do
  [ -f "$movie" ] || continue
  native=() wine=()
  for _ in $(seq "$runs"); do
    native+=("$(measure build-dev/bin/qtgraph run --json --no-hash "$movie")")
    wine+=("$(measure timeout 1800 wine build-windows/bin/qtgraph.exe run --json --no-hash \
      "Z:$(tr / '\\' <<<"$movie")")")
  done
  for build in native wine; do
    declare -n results=$build
    printf '%s\n' "${results[@]}" | sort -n | awk -v movie="$(basename "$movie")" -v build="$build" '
      { s[NR] = $1; b = $2; n = $3 }
      END { m = s[int((NR + 1) / 2)]; printf "%-24s %-7s %10.3f %12.1f %14.0f\n", movie, build, m, b / m / 1e6, n / m }'
  done
done
