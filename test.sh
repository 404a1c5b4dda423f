#!/usr/bin/env bash
# Builds everything and runs every test, with a CMake preset: dev (build-dev/)
# by default; QTP_SANITIZE=address or =thread for the asan or tsan preset;
# QTP_PRESET names any other (ci: warnings as errors). QTP_TEST_FILTER runs
# only the tests whose names match it.
set -euo pipefail
cd "$(dirname "$0")"
source .ci/deps.sh
qtp_need "${QTP_DEPS_TEST[@]}"
case "${QTP_SANITIZE:-}" in
  address) preset=asan ;;
  thread) preset=tsan ;;
  "") preset=dev ;;
  *) echo "test.sh: QTP_SANITIZE must be empty, address or thread" >&2; exit 2 ;;
esac
preset="${QTP_PRESET:-$preset}"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)"
ctest --preset "$preset" ${QTP_TEST_FILTER:+-R "$QTP_TEST_FILTER"}
