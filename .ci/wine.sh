#!/usr/bin/env bash
# The Windows build inside Wine's DirectShow runtime, for 64-bit hosts (x64,
# the windows preset) and for 32-bit ones (x86, the windows32 preset, run by
# Wine's WoW64): for each, builds the filter DLL, qtgraph.exe, the checks and
# the release zip (cmake --workflow), unpacks the zip, registers its DLL with
# its own register.cmd (the 32-bit regsvr32 for the 32-bit DLL) in one
# prefix, checks the registry and the filter mapper, connects every output
# pin to Wine's Sample Grabber and Null Renderer, streams the end-to-end
# movies through Wine's filter graph (every video frame's MD5 and every sound
# byte against ffprobe, every sample against the native qtgraph), extracts
# them (qtgraph.exe extract, against ffprobe and ffmpeg), checks that the
# DLL's journal records and trace lines read as natively, then unregisters
# with unregister.cmd.
#
# Needs the native build with tests ($QTP_NATIVE_BUILD, build-dev/ by
# default: ./test.sh makes it) for the comparison.
# Every wine call runs under a time-out: a hang fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
source .ci/deps.sh
qtp_need "${QTP_DEPS_WINE[@]}"
qtp_need --with-recommends "${QTP_DEPS_WINE_RECOMMENDS[@]}"

version=$(sed -n 's/^project(ostrivel_qtparser VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
clsid='{5E2B7C41-9A3D-4F6E-B817-2C4D9E0A6F13}'
export WINEPREFIX=$PWD/build-windows/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES=winealsa.drv=d
unset DISPLAY
w() { timeout "${QTP_WINE_SECONDS:-300}" wine "$@"; }
winpath() { echo "Z:$(realpath "$1" | tr / '\\')"; }

movies=build-windows/movies
mkdir -p "$movies"
# Duration through the pins: a movie of 2.5 s reports 2 whole seconds.
ffmpeg -v error -y -f lavfi -i sine=frequency=440:duration=2.5 -c:a pcm_s16be -f mov "$movies/sine-2.5s.mov"

# check_texts BUILD_DIR BIN_DIR: the journal file and the trace lines the
# registered DLL writes read as natively. A movie cut in its media data (its
# movie atom first) fails the run under Wine and natively; the journal
# records must match column by column (all but the time and the elapsed
# milliseconds, and the chain ids by their order) and the pump's failure
# line must reach Wine's debug channel as the native build writes it, so a
# change of C runtime or of string width cannot garble either unnoticed.
native=${QTP_NATIVE_BUILD:-build-dev}/bin/qtgraph
ffmpeg -v error -y -f lavfi -i sine=frequency=440:duration=2 -c:a pcm_s16be -movflags +faststart -f mov \
  "$movies/sine-front.mov"
head -c "$(($(stat -c %s "$movies/sine-front.mov") / 2))" "$movies/sine-front.mov" >"$movies/sine-cut.mov"
# The chain ids start at random: each is named by its order of appearance.
journal() {
  tr -d '\r' <"$1" | awk -F '\t' -v OFS='\t' '{
    if (!($4 in id)) id[$4] = "chain" ++n
    if ($3 in id) $3 = id[$3]
    $4 = id[$4]
    print $2, $3, $4, $5, $6, $8, $9 }'
}
check_texts() {
  local build=$1 bin=$2
  local texts=$build/texts
  rm -rf "$texts" && mkdir -p "$texts"
  QTP_REGISTRY=$PWD/$build/native-registry.reg "$native" register >/dev/null
  QTP_REGISTRY=$PWD/$build/native-registry.reg QTP_JOURNAL=$texts/native.log \
    QTP_DEBUG_OUTPUT=$texts/native-trace.txt "$native" run "$movies/sine-cut.mov" >/dev/null 2>&1 && {
    echo "wine.sh: the cut movie did not fail natively" >&2; exit 1; }
  QTP_JOURNAL="$(winpath "$texts")\\wine.log" WINEDEBUG=-all,warn+seh \
    w "$bin/qtgraph.exe" run "$movies/sine-cut.mov" >/dev/null 2>"$texts/wine-trace.txt" && {
    echo "wine.sh: the cut movie did not fail under Wine" >&2; exit 1; }
  if ! diff <(journal "$texts/native.log") <(journal "$texts/wine.log"); then
    echo "wine.sh: the journal under Wine differs from the native one (above)" >&2
    exit 1
  fi
  local line
  line=$(grep -m1 '^OH MY: ' "$texts/native-trace.txt")
  if ! grep -qF "OutputDebugStringA \"$line\\n\"" "$texts/wine-trace.txt"; then
    echo "wine.sh: Wine's debug channel does not show the trace line \"$line\"" >&2
    exit 1
  fi
  echo "journal and trace lines under Wine read as natively ($(wc -l <"$texts/wine.log") records; \"$line\")"
}

# check_windows_build PRESET BUILD_DIR TARGET_PREFIX BITS
#   BITS: 64 or 32, the registry view the DLL registers in and the zip's name
#   (win64, win32).
check_windows_build() {
  local preset=$1 build=$2 target=$3 bits=$4
  cmake --workflow --preset "$preset"
  local bin=$build/bin
  local package=ostrivel-qtparser-$version-win$bits
  echo "wine.sh: $preset: $build/$package.zip"
  rm -rf "${build:?}/$package"
  unzip -q -d "$build" "$build/$package.zip"
  local dll=$build/$package/ostrivel-qtparser.dll
  for file in ostrivel-qtparser.dll qtgraph.exe README.txt register.cmd unregister.cmd; do
    [ -f "$build/$package/$file" ] || { echo "wine.sh: $package.zip has no $file" >&2; exit 1; }
  done

  # The DLL must load with nothing beside it: it may import system DLLs only.
  local headers imports name
  headers=$("$target-objdump" -p "$dll")
  imports=$(awk '/DLL Name:/ { print $3 }' <<<"$headers" | sort)
  echo "DLL imports: $(echo $imports)"
  for name in $imports; do
    case "${name,,}" in
      kernel32.dll | advapi32.dll | ole32.dll | oleaut32.dll | msvcrt.dll | user32.dll) ;;
      *) echo "wine.sh: $dll imports $name, which is not a system DLL" >&2; exit 1 ;;
    esac
  done
  # The entry points undecorated, as regsvr32 and COM look them up.
  local exports
  exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ { on = 1; next } on && NF == 0 { exit } on { print $NF }' \
    <<<"$headers")
  for name in DllGetClassObject DllCanUnloadNow DllRegisterServer DllUnregisterServer; do
    grep -qx "$name" <<<"$exports" || { echo "wine.sh: $dll does not export $name" >&2; exit 1; }
  done
  # Nothing else but CEntryPoint with its base (their Itanium names), as the
  # native module (module_tests).
  local others
  if others=$(grep -Evx 'Dll(GetClassObject|CanUnloadNow|RegisterServer|UnregisterServer)|_Z(N|T[VIS])(11CEntryPoint|15CEntryPointBase).*' <<<"$exports"); then
    echo "wine.sh: $dll exports more than the entry points and CEntryPoint: $(echo $others)" >&2
    exit 1
  fi
  echo "DLL exports: the four entry points and CEntryPoint ($(wc -l <<<"$exports") names)"
  local texts
  texts=$("$target-strings" -el "$dll")
  grep -qx "$version" <<<"$texts" ||
    { echo "wine.sh: $dll has no version $version in its version resource" >&2; exit 1; }
  [ "$(w "$bin/qtgraph.exe" --version | tr -d '\r')" = "qtgraph (Ostrivel QuickTime File Parser) $version" ]

  # Twice: the second registration must leave one mapper entry.
  w cmd /c "$(winpath "$build/$package/register.cmd")" /s
  w cmd /c "$(winpath "$build/$package/register.cmd")" /s
  local keys
  keys=$(w reg query "HKCR\\CLSID\\$clsid" /s "/reg:$bits" 2>/dev/null | tr -d '\r')
  echo "$keys"
  grep -q 'Ostrivel QuickTime Parser' <<<"$keys"
  grep -q 'ThreadingModel *REG_SZ *Both' <<<"$keys"
  grep -qi "$package\\\\ostrivel-qtparser.dll" <<<"$keys"
  w "$bin/wine_graph_checks.exe" mapper 1

  w "$bin/wine_graph_checks.exe" renderers "$(winpath "$movies/sine-2.5s.mov")" 2
  w "$bin/wine_graph_checks.exe" renderers "$(winpath samples/sample.mov)" 0

  QTP_REGISTRY=$PWD/$build/native-registry.reg \
    python3 tests/e2e/check_movies.py --wine "$bin/qtgraph.exe" --same-as "${QTP_NATIVE_BUILD:-build-dev}/bin/qtgraph" "$movies"
  python3 tests/e2e/check_extract.py --wine "$bin/qtgraph.exe" "$build/extract"
  w "$bin/qtgraph.exe" run samples/sample.mov >/dev/null
  check_texts "$build" "$bin"

  w cmd /c "$(winpath "$build/$package/unregister.cmd")" /s
  if w reg query "HKCR\\CLSID\\$clsid" "/reg:$bits" >/dev/null 2>&1; then
    echo "wine.sh: the server key is still there after unregistering" >&2
    exit 1
  fi
  w "$bin/wine_graph_checks.exe" mapper 0
  echo "wine.sh: $preset: the DLL registered, streamed, extracted and unregistered under Wine"
}

rm -rf "$WINEPREFIX"
trap 'timeout 30 wineserver -k >/dev/null 2>&1 || true' EXIT
w wineboot -i >/dev/null 2>&1
check_windows_build windows build-windows x86_64-w64-mingw32 64
check_windows_build windows32 build-windows32 i686-w64-mingw32 32
