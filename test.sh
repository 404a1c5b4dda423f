#!/usr/bin/env bash
# Builds everything and runs every test. QTP_SANITIZE=address or =thread builds
# into build-<sanitizer>/ with that sanitizer; otherwise into build/.
set -euo pipefail
cd "$(dirname "$0")"
source .ci/deps.sh
qtp_need "${QTP_DEPS_TEST[@]}"
san="${QTP_SANITIZE:-}"
dir=build${san:+-$san}
cmake -S . -B "$dir" -G Ninja -DQTP_SANITIZE="$san" >/dev/null
cmake --build "$dir" -j"$(nproc)"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}"
ctest --test-dir "$dir" --output-on-failure ${QTP_TEST_FILTER:+-R "$QTP_TEST_FILTER"}
