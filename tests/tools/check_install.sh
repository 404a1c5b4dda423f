#!/usr/bin/env bash
# The installed native tree: cmake --install into one prefix, moved to
# another (the run paths are relative), then qtgraph there says the
# project's version, registers the installed module with no argument, plays
# the sample through it and unregisters it.
#     check_install.sh BUILD_DIR VERSION SAMPLE WORK_DIR
set -euo pipefail
build=$1 version=$2 sample=$3 work=$4
rm -rf "$work"
cmake --install "$build" --prefix "$work/first" >/dev/null
mv "$work/first" "$work/moved"
qtgraph=$work/moved/bin/qtgraph
export QTP_REGISTRY=$work/registry.reg QTP_JOURNAL=$work/journal.log

fail() { echo "check_install.sh: $*" >&2; exit 1; }
[ "$("$qtgraph" --version)" = "qtgraph (Ostrivel QuickTime File Parser) $version" ] ||
  fail "qtgraph --version says '$("$qtgraph" --version)', not version $version"
registered=$("$qtgraph" register)
[[ "$registered" == "DllRegisterServer in $work/moved/lib/qtparser.so succeeded"* ]] ||
  fail "qtgraph register did not register the installed module: $registered"
"$qtgraph" run --no-hash "$sample" | grep -q '^end event *EC_COMPLETE' || fail "the sample did not play"
"$qtgraph" unregister >/dev/null
echo "check_install.sh: installed, moved, registered and played"
