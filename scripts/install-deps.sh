#!/usr/bin/env bash
# Installs the Debian packages the builds, tests, run and other scripts need,
# only when something is missing (nothing to fetch when all is there):
#
#   scripts/install-deps.sh
#
# The scripts that build call it first (build_tree in scripts/common.sh).
set -euo pipefail
need=()
have() { command -v "$1" >/dev/null 2>&1; }
have cmake                         || need+=(cmake)
have ccache                        || need+=(ccache)        # compiler cache, used by CMake when present
have python3                       || need+=(python3)
have g++                           || need+=(g++)
[ -d /usr/src/googletest ]         || need+=(libgtest-dev)
have x86_64-w64-mingw32-g++-posix  || need+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix)
have x86_64-w64-mingw32-windres    || need+=(binutils-mingw-w64-x86-64)
have wine                          || need+=(wine wine64)
have Xvfb                          || need+=(xvfb)
have import                        || need+=(imagemagick)   # screenshots: import, convert
have pgrep                         || need+=(procps)        # bench-monitor-cpu.sh
have clang++                       || need+=(clang)
ls /usr/lib/llvm-14/lib/clang/14*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || need+=(libclang-rt-14-dev)
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${need[@]}" >/dev/null
fi
