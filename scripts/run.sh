#!/usr/bin/env bash
# Demo: builds kv310r-cli and shows the default parameter set as a parameter file.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j "$(nproc)" --target kv310r-cli >/dev/null
demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
build/native/cli/kv310r-cli new "$demo/Demo.ini"
build/native/cli/kv310r-cli show "$demo/Demo.ini"
