#!/usr/bin/env bash
# Keeps the Windows build possible: compiles every portable framework source
# (framework/*.cpp and framework/win32/*.cpp) and every framework/*.h header
# on its own with mingw-w64 against the platform's own headers (windows.h,
# dshow.h, dvdmedia.h, mmreg.h), so a signature that drifts from the
# platform's fails here. Nothing is linked. The POSIX stand-in
# (framework/posix/) is not compiled: it is what the platform replaces.
#
# Usage: check-compile.sh [FOLDER...]: each FOLDER (relative to the root,
# e.g. pins filter) has its *.cpp and *.h compiled the same way.
#
# Needs x86_64-w64-mingw32-g++ (Debian package g++-mingw-w64-x86-64);
# QTP_MINGW_CXX names another compiler.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cxx="${QTP_MINGW_CXX:-x86_64-w64-mingw32-g++}"
if ! command -v "$cxx" >/dev/null; then
  echo "check-compile: $cxx not found (Debian package g++-mingw-w64-x86-64)" >&2
  exit 1
fi
flags=(-std=c++17 -Wall -Wextra -Werror -DUNICODE -D_UNICODE -I"$root")

shopt -s nullglob
sources=("$root"/framework/*.cpp "$root"/framework/win32/*.cpp)
headers=("$root"/framework/*.h)
for folder in "$@"; do
  sources+=("$root/$folder"/*.cpp)
  headers+=("$root/$folder"/*.h)
done
failed=0
for src in "${sources[@]}"; do
  if ! "$cxx" "${flags[@]}" -c "$src" -o /dev/null; then
    echo "check-compile: FAILED ${src#"$root"/}" >&2
    failed=$((failed + 1))
  fi
done
for header in "${headers[@]}"; do
  if ! printf '#include "%s"\n' "${header#"$root"/}" | "$cxx" "${flags[@]}" -x c++ -fsyntax-only -; then
    echo "check-compile: FAILED ${header#"$root"/}" >&2
    failed=$((failed + 1))
  fi
done
echo "check-compile: ${#sources[@]} sources and ${#headers[@]} headers compiled with $cxx, $failed failed"
[ "$failed" -eq 0 ]
