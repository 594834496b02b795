#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build
# with the packages users install (the Debian package and the Windows zip,
# unpacked and run, the zip's 32-bit exe under Wine next to the Linux
# program, or the 64-bit build of the same source where the kernel cannot
# execute 32-bit programs) and the platform's conformance suite on the
# headless and SDL2 backends and as a Windows program under Wine; then the
# same suite under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/jobs.sh
./scripts/deps.sh wine package web

# The 32-bit build comes with the zip (scripts/package.sh, below); the
# 64-bit one is what the Wine runs fall back on.
cmake --preset mingw64
cmake --build --preset mingw64
# The platform's conformance suite for Windows, which the suite below runs
# under Wine.
cmake --preset mingw-tests
cmake --build --preset mingw-tests
cmake --preset mingw64-tests
cmake --build --preset mingw64-tests

# What users install: the Debian package and the Windows zip, which the
# suite below unpacks and runs (on Linux and under Wine, compared pixel for
# pixel), instead of the build's own executables.
./scripts/package.sh
version=$(sed -n 's/^project(velmora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

# The program compiled to WebAssembly, whose picture the suite compares with
# the native build's, and the same with assertions, SAFE_HEAP and UBSan for
# the page's hostile session.
cmake --preset web
cmake --build --preset web
cmake --preset web-debug
cmake --build --preset web-debug --target velmora

cmake --preset default -DVELMORA_WEB_BUILD="$PWD/build-web" -DVELMORA_PACKAGE_DEB="$PWD/dist/velmora_${version}_$(dpkg --print-architecture).deb" \
  -DVELMORA_PACKAGE_ZIP="$PWD/dist/velmora-${version}-win32.zip" \
  -DVELMORA_PACKAGE_WEB_ZIP="$PWD/dist/velmora-${version}-web.zip" -DVELMORA_WEB_DEBUG_BUILD="$PWD/build-web-debug" \
  -DVELMORA_WINDOWS64_EXE="$PWD/build-mingw64/velmora.exe" \
  -DVELMORA_CONFORMANCE_EXE="$PWD/build-mingw-tests/platform_conformance_test.exe" \
  -DVELMORA_CONFORMANCE64_EXE="$PWD/build-mingw64-tests/platform_conformance_test.exe"
cmake --build --preset default
ctest --preset default

cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize
