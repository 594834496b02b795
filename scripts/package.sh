#!/usr/bin/env bash
# Builds what users install and puts it in dist/: the Debian package
# velmora_<version>_<arch>.deb (CPack, from the package preset) and the
# Windows zip velmora-<version>-win32.zip (CPack, from the 32-bit MinGW-w64
# build of the mingw preset) and the page's zip velmora-<version>-web.zip
# (CPack, from the web preset's WebAssembly build). Installs what is missing
# first.
#   scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/jobs.sh
./scripts/deps.sh package web
rm -rf dist
mkdir -p dist

cmake --preset package >/dev/null
cmake --build --preset package
(cd build-package && cpack -G DEB -B "$PWD/cpack" >/dev/null)
cp build-package/cpack/velmora_*.deb dist/

cmake --preset mingw >/dev/null
cmake --build --preset mingw
(cd build-mingw && cpack -G ZIP -B "$PWD/cpack" >/dev/null)
cp build-mingw/cpack/velmora-*-win32.zip dist/

cmake --preset web >/dev/null
cmake --build --preset web --target velmora
# CPack builds the whole tree again first, outside the preset, and the
# emscripten linker then needs the preset's NODE_PATH to find Debian's
# acorn.
(cd build-web && NODE_PATH=/usr/share/nodejs cpack -G ZIP -B "$PWD/cpack" >/dev/null)
cp build-web/cpack/velmora-*-web.zip dist/

ls -l dist
