#!/usr/bin/env bash
# Builds qtgraph and runs the main job on the bundled sample movie.
set -euo pipefail
cd "$(dirname "$0")"
source .ci/deps.sh
qtp_need "${QTP_DEPS_RUN[@]}"
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j"$(nproc)" --target qtgraph >/dev/null
exec build/bin/qtgraph run samples/sample.mov
