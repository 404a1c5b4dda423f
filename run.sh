#!/usr/bin/env bash
# Builds qtgraph and the filter module (the default preset, into build/),
# registers the module and runs the main job on the bundled sample movie.
set -euo pipefail
cd "$(dirname "$0")"
source .ci/deps.sh
qtp_need "${QTP_DEPS_RUN[@]}"
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)" --target qtgraph
# qtgraph makes the parser filter by its class identifier, from the module
# registered for it: register the one just built (as regsvr32 would).
build/bin/qtgraph register
exec build/bin/qtgraph run samples/sample.mov
