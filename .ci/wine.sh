#!/usr/bin/env bash
# The Windows build inside Wine's DirectShow runtime: builds the filter DLL,
# qtgraph.exe and the checks (cmake --workflow --preset windows), registers
# the DLL with regsvr32 in a fresh prefix, checks the registry and the filter
# mapper, connects every output pin to Wine's Sample Grabber and Null
# Renderer, streams the end-to-end movies through Wine's filter graph
# (every video frame's MD5 and every sound byte against ffprobe, every
# sample against the native qtgraph), then unregisters.
#
# Needs the native build with tests ($QTP_NATIVE_BUILD, build-dev/ by
# default: ./test.sh makes it) for the comparison.
# Every wine call runs under a time-out: a hang fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
source .ci/deps.sh
qtp_need "${QTP_DEPS_WINE[@]}"
qtp_need --with-recommends "${QTP_DEPS_WINE_RECOMMENDS[@]}"

cmake --workflow --preset windows
bin=build-windows/bin
dll=$bin/ostrivel-qtparser.dll

# The DLL must load with nothing beside it: it may import system DLLs only.
imports=$(x86_64-w64-mingw32-objdump -p "$dll" | awk '/DLL Name:/ { print $3 }' | sort)
echo "DLL imports: $(echo $imports)"
for name in $imports; do
  case "${name,,}" in
    kernel32.dll | advapi32.dll | ole32.dll | oleaut32.dll | msvcrt.dll | user32.dll) ;;
    *) echo "wine.sh: $dll imports $name, which is not a system DLL" >&2; exit 1 ;;
  esac
done

export WINEPREFIX=$PWD/build-windows/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES=winealsa.drv=d
unset DISPLAY
rm -rf "$WINEPREFIX"
w() { timeout "${QTP_WINE_SECONDS:-300}" wine "$@"; }
trap 'timeout 30 wineserver -k >/dev/null 2>&1 || true' EXIT
w wineboot -i >/dev/null 2>&1

clsid='{5E2B7C41-9A3D-4F6E-B817-2C4D9E0A6F13}'
# Twice: the second registration must leave one mapper entry.
w regsvr32 /s "$dll"
w regsvr32 /s "$dll"
keys=$(w reg query "HKCR\\CLSID\\$clsid" /s 2>/dev/null | tr -d '\r')
echo "$keys"
grep -q 'Ostrivel QuickTime Parser' <<<"$keys"
grep -q 'ThreadingModel *REG_SZ *Both' <<<"$keys"
grep -qi 'ostrivel-qtparser.dll' <<<"$keys"
w "$bin/wine_graph_checks.exe" mapper 1

# Duration through the pins: a movie of 2.5 s reports 2 whole seconds.
movies=build-windows/movies
mkdir -p "$movies"
ffmpeg -v error -y -f lavfi -i sine=frequency=440:duration=2.5 -c:a pcm_s16be -f mov "$movies/sine-2.5s.mov"
w "$bin/wine_graph_checks.exe" renderers "Z:$(realpath "$movies/sine-2.5s.mov" | tr / '\\')" 2
w "$bin/wine_graph_checks.exe" renderers "Z:$(realpath samples/sample.mov | tr / '\\')" 0

QTP_REGISTRY=$PWD/build-windows/native-registry.reg \
  python3 tests/e2e/check_movies.py --wine "$bin/qtgraph.exe" --same-as "${QTP_NATIVE_BUILD:-build-dev}/bin/qtgraph" "$movies"
w "$bin/qtgraph.exe" run samples/sample.mov >/dev/null

w regsvr32 /s /u "$dll"
if w reg query "HKCR\\CLSID\\$clsid" >/dev/null 2>&1; then
  echo "wine.sh: the server key is still there after unregistering" >&2
  exit 1
fi
w "$bin/wine_graph_checks.exe" mapper 0

# The DLL's export table: the four entry points, undecorated, and CEntryPoint
# with its base (their Itanium names), as the native module's (module_tests).
exports=$(x86_64-w64-mingw32-objdump -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  awk '/^\t\[/ { print $3 }')
for name in DllGetClassObject DllCanUnloadNow DllRegisterServer DllUnregisterServer; do
  grep -qx "$name" <<<"$exports" || { echo "wine.sh: $dll does not export $name undecorated" >&2; exit 1; }
done
if others=$(grep -Evx 'Dll(GetClassObject|CanUnloadNow|RegisterServer|UnregisterServer)|_Z(N|T[VIS])(11CEntryPoint|15CEntryPointBase).*' <<<"$exports"); then
  echo "wine.sh: $dll exports more than the entry points and CEntryPoint: $(echo $others)" >&2
  exit 1
fi
echo "DLL exports: the four entry points and CEntryPoint ($(wc -l <<<"$exports") names)"
# The journal file and the trace lines the DLL writes read as natively: a
# movie cut in its media data (its movie atom first) fails the run under Wine
# and natively; the journal records must match column by column (all but the
# time and the elapsed milliseconds, and the chain ids by their order) and the pump's failure line must reach
# Wine's debug channel as the native build writes it, so a change of C
# runtime or of string width cannot garble either unnoticed.
native=${QTP_NATIVE_BUILD:-build-dev}/bin/qtgraph
ffmpeg -v error -y -f lavfi -i sine=frequency=440:duration=2 -c:a pcm_s16be -movflags +faststart -f mov \
  "$movies/sine-front.mov"
head -c "$(($(stat -c %s "$movies/sine-front.mov") / 2))" "$movies/sine-front.mov" >"$movies/sine-cut.mov"
texts=build-windows/texts
rm -rf "$texts" && mkdir -p "$texts"
QTP_REGISTRY=$PWD/build-windows/native-registry.reg "$native" register >/dev/null
QTP_REGISTRY=$PWD/build-windows/native-registry.reg QTP_JOURNAL=$texts/native.log \
  QTP_DEBUG_OUTPUT=$texts/native-trace.txt "$native" run "$movies/sine-cut.mov" >/dev/null 2>&1 && {
  echo "wine.sh: the cut movie did not fail natively" >&2; exit 1; }
QTP_JOURNAL="Z:$(realpath "$texts" | tr / '\\')\\wine.log" WINEDEBUG=-all,warn+seh \
  w "$bin/qtgraph.exe" run "$movies/sine-cut.mov" >/dev/null 2>"$texts/wine-trace.txt" && {
  echo "wine.sh: the cut movie did not fail under Wine" >&2; exit 1; }
# The chain ids start at random: each is named by its order of appearance.
journal() {
  tr -d '\r' <"$1" | awk -F '\t' -v OFS='\t' '{
    if (!($4 in id)) id[$4] = "chain" ++n
    if ($3 in id) $3 = id[$3]
    $4 = id[$4]
    print $2, $3, $4, $5, $6, $8, $9 }'
}
if ! diff <(journal "$texts/native.log") <(journal "$texts/wine.log"); then
  echo "wine.sh: the journal under Wine differs from the native one (above)" >&2
  exit 1
fi
line=$(grep -m1 '^OH MY: ' "$texts/native-trace.txt")
if ! grep -qF "OutputDebugStringA \"$line\\n\"" "$texts/wine-trace.txt"; then
  echo "wine.sh: Wine's debug channel does not show the trace line \"$line\"" >&2
  exit 1
fi
echo "journal and trace lines under Wine read as natively ($(wc -l <"$texts/wine.log") records; \"$line\")"
echo "wine.sh: the DLL registered, streamed and unregistered under Wine"
