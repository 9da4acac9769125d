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
. "$(dirname "$0")/common.sh"
cd "$KV_ROOT"
rm -rf build/win/dist  # only the zip of this version is copied
build_tree win kv_package
mkdir -p dist
for zip in build/win/dist/*.zip; do
  cp "$zip" dist/
  echo "dist/$(basename "$zip")"
done
