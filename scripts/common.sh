# What the scripts share, sourced by them (. scripts/common.sh), not run on its
# own: the build trees, the Wine prefixes and settings, the virtual display and
# the fuzz targets' inputs. The Python scripts get the same through
# scripts/kvscripts.py, which calls these functions.
#
# Build trees, one per flavour, in build/<flavour>:
#   native  g++, Debug: the unit tests, kv310r-cli and the virtual dimmer kv310r-sim
#   asan    the same with AddressSanitizer and UndefinedBehaviorSanitizer
#   win     mingw-w64 cross build, Release: kv310r.exe, kv310r-cli.exe, the
#           Windows tests and benchmark programs (its tests under Wine take the
#           virtual dimmer from build/native)
#   fuzz    clang with libFuzzer, RelWithDebInfo: the fuzz targets
#
# Wine prefixes, one per purpose, inside build/win (never the user's home):
#   console  programs without windows (CTest's emulator scripts/wine-run.sh)
#   gui      programs that open windows: the run, the benchmarks, the
#            package check (package_test). Wine binds a session's desktop to
#            the display of the process that started it, so a session begun
#            by a program without windows (no display) could not show windows
#            later.
#   <test>   each window test of CTest in a prefix of its own,
#            wineprefix-<test> (tests/win/CMakeLists.txt), so the tests run
#            side by side, each with its own session, display and COM ports
#   shots    the page screenshots: the screen resolution is a setting of the prefix

KV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# build_tree FLAVOUR [TARGET...]: installs what is missing, configures
# build/FLAVOUR and builds the targets named (all without), one job per core.
build_tree() {
  local flavour=$1 dir="$KV_ROOT/build/$1" options=() compilers=() targets=()
  shift
  case $flavour in
    native) options=(-DCMAKE_BUILD_TYPE=Debug) ;;
    asan) options=(-DCMAKE_BUILD_TYPE=Debug -DKV_SANITIZE=ON) ;;
    win)
      options=(-DCMAKE_BUILD_TYPE=Release -DKV_NATIVE_SIM="$KV_ROOT/build/native/sim/kv310r-sim")
      # The toolchain is chosen when the tree is made.
      [ -f "$dir/CMakeCache.txt" ] || options+=(-DCMAKE_TOOLCHAIN_FILE="$KV_ROOT/cmake/mingw-w64.cmake")
      ;;
    fuzz) options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_FUZZ=ON) compilers=(CC=clang CXX=clang++) ;;
    *) echo "unknown build flavour: $flavour (native, asan, win, fuzz)" >&2; return 2 ;;
  esac
  [ $# -eq 0 ] || targets=(--target "$@")
  "$KV_ROOT/scripts/install-deps.sh" || return
  env "${compilers[@]}" cmake -S "$KV_ROOT" -B "$dir" "${options[@]}" >/dev/null || return
  cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
}

# wine_prefix PURPOSE: the folder of the Wine prefix for console, gui or shots.
wine_prefix() {
  case $1 in
    console) echo "$KV_ROOT/build/win/wineprefix" ;;
    gui) echo "$KV_ROOT/build/win/wineprefix-gui" ;;
    shots) echo "$KV_ROOT/build/win/wineprefix-shots" ;;
    *) echo "unknown Wine prefix: $1 (console, gui, shots)" >&2; return 2 ;;
  esac
}

# use_wine PURPOSE: exports WINEPREFIX, the prefix of PURPOSE, and keeps Wine
# quiet: no debug output, no offer to install Mono or Gecko.
use_wine() {
  WINEPREFIX=$(wine_prefix "$1") || return
  export WINEPREFIX WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
}

# use_wine_default PURPOSE: as use_wine, but a WINEPREFIX the caller set stays
# (for the scripts other scripts and CTest call with the prefix chosen).
use_wine_default() {
  if [ -n "${WINEPREFIX:-}" ]; then
    export WINEPREFIX WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
  else
    use_wine "$1"
  fi
}

# make_wine_prefix: creates the prefix WINEPREFIX once. Booting a prefix
# takes half a minute; once the console prefix exists, every other one is a
# copy of it (the window tests run in prefixes of their own, side by side).
# The copy is made under a temporary name and renamed when complete, so a run
# that stops half-way leaves no half prefix behind.
make_wine_prefix() {
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  local template partial
  template=$(wine_prefix console)
  if [ "$WINEPREFIX" != "$template" ] && [ -f "$template/system.reg" ]; then
    partial="$WINEPREFIX.partial.$$"
    rm -rf "$partial"
    if cp -a "$template" "$partial" && rm -rf "$WINEPREFIX" && mv -T "$partial" "$WINEPREFIX"; then
      return 0
    fi
    rm -rf "$partial"
  fi
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || true
}

# start_virtual_display: starts a virtual display (Xvfb, 1280 x 1024, 24 bit,
# no TCP) and exports DISPLAY for it; XVFB_PID is the server. Fails when the
# server has not come up within ten seconds.
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
    stop_virtual_display
    rm -f "$numfile"
    return 1
  fi
  DISPLAY=":$(tr -dc 0-9 <"$numfile")"
  export DISPLAY
  rm -f "$numfile"
}

# stop_virtual_display: ends the display start_virtual_display started.
stop_virtual_display() {
  [ -n "${XVFB_PID:-}" ] || return 0
  kill "$XVFB_PID" 2>/dev/null || true
  wait "$XVFB_PID" 2>/dev/null || true
  XVFB_PID=""
}

# keep_windows_unmanaged PROGRAM: the virtual display has no window manager.
# Wine waits up to two seconds for one whenever a window it handed to the
# manager is hidden; for the program named (e.g. kv310r.exe) Wine keeps its
# windows to itself instead. A setting of the prefix WINEPREFIX, written once.
keep_windows_unmanaged() {
  grep -qF "AppDefaults\\\\$1\\\\X11 Driver" "$WINEPREFIX/user.reg" 2>/dev/null && return 0
  "$KV_ROOT/scripts/wine-run.sh" reg add "HKCU\\Software\\Wine\\AppDefaults\\$1\\X11 Driver" \
    /v Managed /d N /f >/dev/null 2>&1 || true
}

# fuzz_targets: the names of the fuzz targets built in build/fuzz, sorted.
fuzz_targets() {
  find "$KV_ROOT/build/fuzz" -maxdepth 3 -type f -name 'fuzz_*' -perm -u+x -printf '%f\n' | sort
}

# run_fuzz_target NAME [FLAG...]: runs the fuzz target NAME with the libFuzzer
# flags given and those in tests/data/fuzz/NAME.options, on its corpus
# build/fuzz/corpus/NAME (kept between runs, not tracked by git) and the seeds
# in tests/data/fuzz/NAME/.
run_fuzz_target() {
  local name=$1 target corpus="$KV_ROOT/build/fuzz/corpus/$1" data="$KV_ROOT/tests/data/fuzz/$1"
  local seeds=() options=()
  shift
  target=$(find "$KV_ROOT/build/fuzz" -maxdepth 3 -type f -name "$name" -perm -u+x | head -n 1)
  [ -n "$target" ] || { echo "no fuzz target $name in build/fuzz" >&2; return 2; }
  mkdir -p "$corpus"
  [ -d "$data" ] && seeds=("$data")
  [ -f "$data.options" ] && read -r -a options <"$data.options"
  "$target" -rss_limit_mb=2048 "$@" "${options[@]}" "$corpus" "${seeds[@]}"
}
