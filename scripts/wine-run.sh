#!/usr/bin/env bash
# Runs one Windows program under Wine, CTest's cross-compiling emulator:
#
#   scripts/wine-run.sh PROGRAM [ARG...]
#
# In the caller's WINEPREFIX, else the prefix of console programs (see
# scripts/common.sh), made on first use without installer prompts.
. "$(dirname "$0")/common.sh"
use_wine_default console
make_wine_prefix
exec wine "$@"
