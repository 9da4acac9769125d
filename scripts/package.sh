#!/usr/bin/env bash
# Builds the Windows download: dist/kv310r-VERSION-win64.zip with kv310r.exe,
# kv310r-cli.exe (both cross-built with mingw-w64, statically linked) and the
# German guide LIESMICH.txt. Installs what it needs first, so it works on a
# fresh machine. The version comes from the top CMakeLists.txt.
#
#   scripts/package.sh
#
# scripts/test.sh win checks the zip under Wine (package_test).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# The toolchain is chosen when the build folder is made (test.sh and run.sh share it).
toolchain=()
[ -f build/win/CMakeCache.txt ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake)
cmake -S . -B build/win -DCMAKE_BUILD_TYPE=Release "${toolchain[@]}" >/dev/null
rm -rf build/win/dist  # only the zip of this version is copied
cmake --build build/win -j "$(nproc)" --target kv_package
mkdir -p dist
for zip in build/win/dist/*.zip; do
  cp "$zip" dist/
  echo "dist/$(basename "$zip")"
done
