#!/usr/bin/env bash
# Runs a Windows program that opens windows under Wine. Without a display (CI,
# a terminal over ssh) it starts a virtual one for the run and stops it after.
#
# Such runs use a Wine prefix of their own: Wine binds a session's desktop to
# the display of the process that started it, so a session begun by a test
# without windows (no display) could not show windows later.
set -u
here=$(cd "$(dirname "$0")" && pwd)
if [ -n "${DISPLAY:-}" ]; then
  exec "$here/wine-run.sh" "$@"
fi
export WINEPREFIX="${KV_GUI_WINEPREFIX:-$(cd "$here/.." && pwd)/build/win/wineprefix-gui}"

. "$here/virtual-display.sh"
start_virtual_display || exit 1

# A session of an earlier run still bound to its (gone) display ends first.
wineserver -w 2>/dev/null
keep_windows_unmanaged "$(basename "$1")"

"$here/wine-run.sh" "$@"
rc=$?
kill "$XVFB_PID" 2>/dev/null
wait "$XVFB_PID" 2>/dev/null
exit $rc
