#!/usr/bin/env bash
# Builds the Debian package build/package/duskwarren_<version>_<arch>.deb:
# a release build for the prefix /usr with Debian's hardening flags, laid out
# by `cmake --install` and packed by CPack, then checked with lintian when it
# is installed. Install it with: sudo apt install ./build/package/duskwarren_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build=build/package
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" "${launcher[@]}" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX=/usr \
  -DDUSKWARREN_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$build" -j"${JOBS:-2}"
rm -f "$build"/duskwarren_*.deb
(cd "$build" && cpack -G DEB)

deb=$(ls "$build"/duskwarren_*.deb)
echo "package: $deb ($(du -k "$deb" | cut -f1) KiB)"
if command -v lintian >/dev/null; then
  lintian --info "$deb"
fi
