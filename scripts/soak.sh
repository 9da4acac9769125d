#!/usr/bin/env bash
# A day of use without leaks: the Windows program's main window under Wine on
# a virtual display, played by tests/soak against a virtual dimmer through a
# technician's day compressed into minutes (50,000 status replies displayed,
# 1,000 captures drawn and exported, 2,000 page switches, 500 parameter files
# edited and saved, 200 openings of the monitor and of the connection dialog,
# 100 read/write cycles). The process's GDI objects, windows, menus, kernel
# handles and memory are counted after a warm-up round and at the end; the
# run fails when one grew beyond its allowance or something planned did not
# happen. KV_SOAK_ROUNDS sets the rounds (default 100, the day). The test
# command runs the short version (win_soak_test).
#
#   scripts/soak.sh
set -euo pipefail
. "$(dirname "$0")/common.sh"
cd "$KV_ROOT"
build_tree win soak >/dev/null
build_tree native kv310r-sim >/dev/null
use_wine gui
echo "load before: $(uptime)"
start=$(date +%s)
status=0
# The virtual dimmer stays for the whole day (it leaves after 10 minutes
# unless told otherwise).
scripts/with-sim-com.sh build/native/sim/kv310r-sim COM5 --scope-delay 50 --exit-after 36000 -- \
  scripts/wine-gui-run.sh build/win/tests/soak/soak.exe day "${KV_SOAK_ROUNDS:-100}" 2>/dev/null || status=$?
echo "wall time: $(($(date +%s) - start)) s"
echo "load after: $(uptime)"
exit $status
