#!/usr/bin/env bash
# Builds qtgraph and runs the main job on the bundled sample movie.
set -euo pipefail
cd "$(dirname "$0")"
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j"$(nproc)" --target qtgraph >/dev/null
exec build/bin/qtgraph info samples/sample.mov
