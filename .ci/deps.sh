# Sourced by run.sh, test.sh and .ci/run: the Debian 12 packages each of them
# needs, kept in this one file so that the scripts and CI cannot drift apart.

# run.sh: the compiler and the build tools; its preset builds no tests.
QTP_DEPS_RUN=(g++ cmake ninja-build)
# test.sh: the sanitizer builds need nothing more (g++ brings its runtimes);
# ffmpeg and python3 for the end-to-end test, the rest for bench_parse.
QTP_DEPS_TEST=("${QTP_DEPS_RUN[@]}" libgtest-dev libgmock-dev ffmpeg python3 libbenchmark-dev libavformat-dev)
# .ci/wine.sh: mingw-w64 (its -posix compiler) for the Windows build, Wine
# to run it (installed with what it recommends, as Wine's DirectShow was
# measured here); ffmpeg and python3 for the movies it streams.
# The i686 compiler and wine32 (an i386 package: qtp_need adds the
# architecture) build and run the DLL for 32-bit hosts; zip packs the
# release packages (cpack).
QTP_DEPS_WINE=(cmake ninja-build g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686 zip ffmpeg python3)
QTP_DEPS_WINE_RECOMMENDS=(wine wine64 wine32:i386)
# .ci/run: ccache and clang for the fuzzer; .ci/wine.sh installs its own.
QTP_DEPS_CI=("${QTP_DEPS_TEST[@]}" ccache clang libclang-rt-14-dev)

# qtp_need [--with-recommends] PACKAGE...: returns at once when all are
# installed (or when this is not a Debian machine). Otherwise root installs
# the missing ones (without what they recommend, unless asked); anyone else
# gets the apt-get line to run, and the calling script exits.
qtp_need() {
  local recommends=--no-install-recommends
  if [ "${1:-}" = --with-recommends ]; then
    recommends=--install-recommends
    shift
  fi
  command -v dpkg-query >/dev/null || return 0
  local have missing=() p
  # Names with an architecture (wine32:i386) are listed with it.
  have=" $(dpkg-query -W -f='${Package} ${Architecture} ${db:Status-Abbrev}\n' "${@%%:*}" 2>/dev/null |
    awk '$3 ~ /^.i/ { printf "%s %s:%s ", $1, $1, $2 }') " || true
  for p in "$@"; do
    [[ "$have" == *" $p "* ]] || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    local add=""
    for p in "${missing[@]}"; do
      [[ "$p" == *:* ]] && add="sudo dpkg --add-architecture ${p##*:} && "
    done
    echo "Missing Debian packages; install them with:" >&2
    echo "${add}sudo apt-get update && sudo apt-get install -y $recommends ${missing[*]}" >&2
    exit 1
  fi
  local arch
  for p in "${missing[@]}"; do
    [[ "$p" == *:* ]] || continue
    arch=${p##*:}
    if [ "$arch" != "$(dpkg --print-architecture)" ] && ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
      echo "Adding the $arch architecture" >&2
      dpkg --add-architecture "$arch"
    fi
  done
  echo "Installing ${missing[*]}" >&2
  DEBIAN_FRONTEND=noninteractive apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$recommends" "${missing[@]}" >/dev/null
}
