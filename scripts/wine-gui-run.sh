#!/usr/bin/env bash
# Runs a Windows program that opens windows under Wine:
#
#   scripts/wine-gui-run.sh PROGRAM [ARG...]
#
# In the caller's WINEPREFIX, else the prefix of window programs (see
# scripts/common.sh). Without a display (CI, a terminal over ssh) it starts a
# virtual one for the run and stops it after.
set -u
. "$(dirname "$0")/common.sh"
use_wine_default gui
if [ -n "${DISPLAY:-}" ]; then
  exec "$KV_ROOT/scripts/wine-run.sh" "$@"
fi

start_virtual_display || exit 1
# A session of an earlier run still bound to its (gone) display ends first.
wineserver -w 2>/dev/null
keep_windows_unmanaged "$(basename "$1")"

"$KV_ROOT/scripts/wine-run.sh" "$@"
rc=$?
stop_virtual_display
exit $rc
