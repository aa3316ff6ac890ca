#!/usr/bin/env bash
# Installs what the Windows build needs and builds its libraries, with
# nothing downloaded but Debian packages:
#
#   - the mingw-w64 cross-compiler (posix threads), mingw's zlib, wine and
#     NSIS, with apt-get (through sudo when not root);
#   - SDL2 and libpng from Debian's own source packages, fetched with a
#     private apt setup (the machine's sources, lists and caches are left
#     alone), and GoogleTest from /usr/src/googletest, each cross-built as a
#     static library into the prefix build/windows-deps/;
#   - mingw's zlib and CLI11's headers, copied into that prefix, so that the
#     toolchain (cmake/mingw-w64-x86_64.cmake) finds everything there.
#
# Each library's stamp in build/windows-deps/stamps/ says it is built: a
# second run builds only what is missing or changed. Runs wait for each
# other. Each step prints one line; its output goes to
# build/windows-deps-work/logs/<step>.log.
#
# Environment: JOBS (parallel build jobs, default 2), DUSKWARREN_WINDOWS_DEPS
# (another prefix), DUSKWARREN_DEBIAN_ARCHIVE (the archive to fetch sources
# from, default: the one the machine's apt sources use for bookworm).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

SDL2_VERSION=2.26.5
PNG_VERSION=1.6.39
# Bump when a library's build options change, to rebuild it.
RECIPE=1

prefix=${DUSKWARREN_WINDOWS_DEPS:-$root/build/windows-deps}
work=$root/build/windows-deps-work
logs=$work/logs
jobs=${JOBS:-2}
toolchain=$root/cmake/mingw-w64-x86_64.cmake
triple=x86_64-w64-mingw32
export DUSKWARREN_WINDOWS_DEPS=$prefix

mkdir -p "$prefix/stamps" "$logs"
exec 9>"$work/lock"
if ! flock -n 9; then
  echo "Another run is building the Windows libraries; waiting for it."
  flock 9
fi

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

# step NAME COMMAND...: runs COMMAND with its output in logs/NAME.log and
# prints one line; on failure, the end of the log, and stops.
step() {
  local name=$1 log=$logs/$1.log start=$SECONDS
  shift
  printf '%-11s ' "$name"
  if "$@" >"$log" 2>&1; then
    echo "done in $((SECONDS - start)) s"
  else
    echo "FAILED after $((SECONDS - start)) s; the end of $log:"
    tail -n 30 "$log" | sed 's/^/  | /'
    exit 1
  fi
}

# built NAME STAMP: true when NAME was built into the prefix as STAMP says.
built() {
  [ -f "$prefix/stamps/$1" ] && [ "$(cat "$prefix/stamps/$1")" = "$2" ]
}

stamp() {
  echo "$2" >"$prefix/stamps/$1.tmp"
  mv -f "$prefix/stamps/$1.tmp" "$prefix/stamps/$1"
}

# ---------------------------------------------------------------- packages
packages=(
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine wine64 nsis
  cmake make dpkg-dev debian-archive-keyring libcli11-dev googletest
  xvfb xauth xdotool x11-apps imagemagick zip unzip
)

install_packages() {
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    echo "all installed: ${packages[*]}"
    return 0
  fi
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # On a busy machine another apt may hold the lock for a while.
  local apt=("${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600)
  "${apt[@]}" update
  "${apt[@]}" install -y --no-install-recommends "${missing[@]}"
}
step packages install_packages

# ---------------------------------------------------------------- sources
# The archive the machine already uses for bookworm, from its deb822
# sources (Types/URIs/Suites) or its one-line sources.list.
debian_archive() {
  if [ -n "${DUSKWARREN_DEBIAN_ARCHIVE:-}" ]; then
    echo "$DUSKWARREN_DEBIAN_ARCHIVE"
    return
  fi
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk 'BEGIN { RS = ""; FS = "\n" }
      {
        types = ""; uris = ""; suites = ""
        for (i = 1; i <= NF; i++) {
          if ($i ~ /^Types:/) types = $i
          if ($i ~ /^URIs:/) uris = $i
          if ($i ~ /^Suites:/) suites = $i
        }
        if (types ~ /[ \t]deb([ \t]|$)/ && suites ~ /[ \t]bookworm([ \t]|$)/) {
          split(uris, u, /[ \t]+/); print u[2]; exit
        }
      }' "$f"
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -E 's/\[[^]]*\]//' "$f" | awk '$1 == "deb" && $3 == "bookworm" { print $2; exit }'
  done
}

apt_dir=$work/apt
apt_opts=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list"
  -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
  -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::Cache=$apt_dir/cache"
  -o "Acquire::Languages=none"
)
# As root, apt would hand the download to its _apt user, which may not
# reach this folder; the files are ours, so fetch them as ourselves.
[ "$(id -u)" -eq 0 ] && apt_opts+=(-o "APT::Sandbox::User=root")

sources_dir=$work/sources

# fetch_sources PACKAGE...: downloads each source package (.dsc and its
# files) into sources/, checked against the archive's signed index.
fetch_sources() {
  local archive keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  archive=$(debian_archive | head -n 1)
  if [ -z "$archive" ]; then
    echo "No apt source for bookworm found in /etc/apt/sources.list*;"
    echo "name the archive with DUSKWARREN_DEBIAN_ARCHIVE=URL."
    return 1
  fi
  echo "archive: $archive"
  mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" \
    "$sources_dir"
  echo "deb-src [signed-by=$keyring] $archive bookworm main" >"$apt_dir/sources.list"
  apt-get "${apt_opts[@]}" update
  (cd "$sources_dir" && apt-get "${apt_opts[@]}" source --download-only "$@")
}

# dsc PACKAGE VERSION: the downloaded .dsc of that upstream version.
dsc() {
  compgen -G "$sources_dir/$1_$2*.dsc" | head -n 1 || true
}

want_sources=()
if ! built sdl2 "SDL2 $SDL2_VERSION $RECIPE" && [ -z "$(dsc libsdl2 "$SDL2_VERSION")" ]; then
  want_sources+=(libsdl2/bookworm)
fi
if ! built libpng "libpng $PNG_VERSION $RECIPE" && [ -z "$(dsc libpng1.6 "$PNG_VERSION")" ]; then
  want_sources+=(libpng1.6/bookworm)
fi
if [ ${#want_sources[@]} -gt 0 ]; then
  step sources fetch_sources "${want_sources[@]}"
  for want in "libsdl2 $SDL2_VERSION" "libpng1.6 $PNG_VERSION"; do
    read -r name version <<<"$want"
    if [ -z "$(dsc "$name" "$version")" ] && [[ " ${want_sources[*]} " == *" $name/"* ]]; then
      echo "The archive has no $name $version (see $logs/sources.log)."
      exit 1
    fi
  done
else
  echo "sources     already here"
fi

# unpack PACKAGE VERSION: a fresh tree of the source package with Debian's
# patches applied, in work/src/PACKAGE; prints nothing.
unpack() {
  local d=$work/src/$1
  rm -rf "$d"
  mkdir -p "$work/src"
  dpkg-source -x "$(dsc "$1" "$2")" "$d"
}

# cross_cmake SOURCE BUILD ARGS...: configures, builds and installs one
# CMake project into the prefix with the toolchain, in a fresh build folder
# that goes once it is installed.
cross_cmake() {
  local src=$1 bld=$2
  shift 2
  rm -rf "$bld"
  cmake -S "$src" -B "$bld" --toolchain "$toolchain" "${launcher[@]}" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF "$@"
  cmake --build "$bld" -j"$jobs"
  cmake --install "$bld"
  rm -rf "$bld"
}

# ---------------------------------------------------------------- zlib
zlib_version=$(dpkg-query -W -f='${Version}' libz-mingw-w64-dev)
copy_zlib() {
  local from=/usr/$triple
  mkdir -p "$prefix/include" "$prefix/lib"
  install -m 644 "$from/include/zlib.h" "$from/include/zconf.h" "$prefix/include/"
  install -m 644 "$from/lib/libz.a" "$prefix/lib/"
}
if built zlib "zlib $zlib_version"; then
  echo "zlib        already in the prefix ($zlib_version)"
else
  step zlib copy_zlib
  stamp zlib "zlib $zlib_version"
fi

# ---------------------------------------------------------------- CLI11
cli11_version=$(dpkg-query -W -f='${Version}' libcli11-dev)
copy_cli11() {
  rm -rf "$prefix/include/CLI"
  mkdir -p "$prefix/include"
  cp -r /usr/include/CLI "$prefix/include/CLI"
}
if built cli11 "CLI11 $cli11_version"; then
  echo "cli11       already in the prefix ($cli11_version)"
else
  step cli11 copy_cli11
  stamp cli11 "CLI11 $cli11_version"
fi

# ---------------------------------------------------------------- GoogleTest
gtest_version=$(dpkg-query -W -f='${Version}' googletest)
if built googletest "googletest $gtest_version $RECIPE"; then
  echo "googletest  already built ($gtest_version)"
else
  step googletest cross_cmake /usr/src/googletest "$work/build/googletest" \
    -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
  stamp googletest "googletest $gtest_version $RECIPE"
fi

# ---------------------------------------------------------------- libpng
build_libpng() {
  unpack libpng1.6 "$PNG_VERSION"
  cross_cmake "$work/src/libpng1.6" "$work/build/libpng" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DPNG_HARDWARE_OPTIMIZATIONS=ON
  rm -rf "$work/src/libpng1.6"
}
if built libpng "libpng $PNG_VERSION $RECIPE"; then
  echo "libpng      already built ($PNG_VERSION)"
else
  step libpng build_libpng
  stamp libpng "libpng $PNG_VERSION $RECIPE"
fi

# ---------------------------------------------------------------- SDL2
build_sdl2() {
  unpack libsdl2 "$SDL2_VERSION"
  cross_cmake "$work/src/libsdl2" "$work/build/sdl2" \
    -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF
  rm -rf "$work/src/libsdl2"
}
if built sdl2 "SDL2 $SDL2_VERSION $RECIPE"; then
  echo "sdl2        already built ($SDL2_VERSION)"
else
  step sdl2 build_sdl2
  stamp sdl2 "SDL2 $SDL2_VERSION $RECIPE"
fi

echo "Windows libraries in $prefix"
