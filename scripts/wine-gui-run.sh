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

numfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$numfile" ] && break
  sleep 0.1
done
if [ ! -s "$numfile" ]; then
  echo "wine-gui-run: Xvfb did not start" >&2
  kill "$xvfb_pid" 2>/dev/null
  rm -f "$numfile"
  exit 1
fi
export DISPLAY=":$(tr -dc 0-9 <"$numfile")"
rm -f "$numfile"

# A session of an earlier run still bound to its (gone) display ends first.
wineserver -w 2>/dev/null

# The virtual display has no window manager. Wine waits up to two seconds for
# one whenever a window it hands to the manager is hidden; for this program
# Wine keeps its windows to itself instead.
exe=$(basename "$1")
if ! grep -qF "AppDefaults\\\\$exe\\\\X11 Driver" "$WINEPREFIX/user.reg" 2>/dev/null; then
  "$here/wine-run.sh" reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
fi

"$here/wine-run.sh" "$@"
rc=$?
kill "$xvfb_pid" 2>/dev/null
wait "$xvfb_pid" 2>/dev/null
exit $rc
