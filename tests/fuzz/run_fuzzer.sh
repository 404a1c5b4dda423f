#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) into build-fuzz/
# and fuzzes each for a bounded time: the parser, seeded with the ffmpeg
# movies of tests/e2e (when ffmpeg is there), the sample movie and movies made
# with the atom builder, all without their media data; then the whole graph,
# seeded with the same movies keeping the first 32 KiB of their media data.
# Exits non-zero when a fuzzer finds a failure (a hang counts); the input that
# caused it is in build-fuzz/artifacts/.
#
#   QTP_FUZZ_SECONDS  how long to fuzz each target (default 60)
#   QTP_FUZZ_JOBS     build jobs (default: the number of processors)
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${QTP_FUZZ_SECONDS:-60}"
jobs="${QTP_FUZZ_JOBS:-$(nproc)}"
dir=build-fuzz

if ! command -v clang++ >/dev/null; then
  echo "run_fuzzer: clang++ not found (Debian packages clang, libclang-rt-14-dev)" >&2
  exit 1
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$jobs"

movies=()
if command -v python3 >/dev/null && python3 tests/e2e/movies.py "$dir/movies" >/dev/null; then
  movies=("$dir"/movies/*.mov)
else
  echo "run_fuzzer: no ffmpeg movies among the seeds (ffmpeg, ffprobe or python3 missing)"
fi
rm -rf "$dir/seeds" "$dir/graph-seeds"
"$dir"/bin/qtp_fuzz_seeds "$dir/seeds" samples/sample.mov "${movies[@]}"
"$dir"/bin/qtp_fuzz_seeds --media 32768 "$dir/graph-seeds" samples/sample.mov "${movies[@]}"
mkdir -p "$dir/corpus" "$dir/graph-corpus" "$dir/artifacts"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
# New inputs go to the first folder; the kept regressions run first of all.
"$dir/bin/qtp_fuzz_movie" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  -dict=tests/fuzz/quicktime.dict -artifact_prefix="$dir/artifacts/" -print_final_stats=1 \
  "$dir/corpus" tests/fuzz/regressions "$dir/seeds"
"$dir/bin/qtp_fuzz_graph" -max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=2048 \
  -dict=tests/fuzz/quicktime.dict -artifact_prefix="$dir/artifacts/graph-" -print_final_stats=1 \
  "$dir/graph-corpus" tests/fuzz/regressions "$dir/graph-seeds"
