# Sourced by the scripts that open windows under Wine without a display (CI, a
# terminal over ssh). Not run on its own.

# Starts a virtual display (Xvfb, 1280 x 1024, 24 bit, no TCP) and exports
# DISPLAY for it. XVFB_PID is the server; the caller stops it when done.
# Fails when the server has not come up within ten seconds.
start_virtual_display() {
  local numfile
  numfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$numfile" ] && break
    sleep 0.1
  done
  if [ ! -s "$numfile" ]; then
    echo "$(basename "$0"): Xvfb did not start" >&2
    kill "$XVFB_PID" 2>/dev/null
    rm -f "$numfile"
    return 1
  fi
  export DISPLAY=":$(tr -dc 0-9 <"$numfile")"
  rm -f "$numfile"
}

# The virtual display has no window manager. Wine waits up to two seconds for
# one whenever a window it handed to the manager is hidden; for the program
# named (e.g. kv310r.exe) Wine keeps its windows to itself instead. A setting
# of the current WINEPREFIX, written once.
keep_windows_unmanaged() {
  grep -qF "AppDefaults\\\\$1\\\\X11 Driver" "$WINEPREFIX/user.reg" 2>/dev/null && return 0
  "$(dirname "${BASH_SOURCE[0]}")/wine-run.sh" reg add "HKCU\\Software\\Wine\\AppDefaults\\$1\\X11 Driver" \
    /v Managed /d N /f >/dev/null 2>&1 || true
}
