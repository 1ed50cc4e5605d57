# shellcheck shell=bash
# Sourced by scripts/test.sh, scripts/wine-ctest.sh and scripts/demo.sh: a
# virtual display and one persistent wineserver for a Windows build tree's
# test run.
#
#   wine_session_start BUILD_DIR   exports DISPLAY, WINEPREFIX, WINEDEBUG
#   wine_session_start_xvfb        only the display: exports DISPLAY
#   wine_session_stop              ends what was started again
#
# Why one persistent server: a server that a test starts keeps ctest's
# output pipes open after the test ends and costs seconds per test; a
# persistent one must be started and prewarmed with no pipes attached, or
# ctest waits for it forever. The display is for the dialogs; the server is
# started under it, since one started without a display makes later window
# processes fail.

wine_session_xvfb_pid=
wine_session_prefix=

wine_session_stop() {
  if [[ -n $wine_session_prefix ]]; then
    WINEPREFIX=$wine_session_prefix wineserver -k </dev/null >/dev/null 2>&1 || true
    wine_session_prefix=
  fi
  if [[ -n $wine_session_xvfb_pid ]]; then
    kill "$wine_session_xvfb_pid" 2>/dev/null || true
    wait "$wine_session_xvfb_pid" 2>/dev/null || true
    wine_session_xvfb_pid=
  fi
}

# A virtual display on a number Xvfb picks itself, so that sessions of
# several build trees can run side by side.
wine_session_start_xvfb() {
  local numfile
  numfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numfile" </dev/null >/dev/null 2>&1 &
  wine_session_xvfb_pid=$!
  for _ in $(seq 100); do
    [[ -s $numfile ]] && break
    sleep 0.1
  done
  if [[ ! -s $numfile ]]; then
    echo "Xvfb did not start" >&2
    rm -f "$numfile"
    return 1
  fi
  DISPLAY=":$(head -n1 "$numfile")"
  export DISPLAY
  rm -f "$numfile"
  echo "virtual display $DISPLAY"
}

wine_session_start() {
  local dir
  dir=$(cd "$1" && pwd) || return 1
  local runner
  runner=$(cd "$(dirname "${BASH_SOURCE[0]}")/../cmake" && pwd)/wine-run.sh
  wine_session_start_xvfb || return 1
  wine_session_prefix=$dir/wineprefix
  export WINEPREFIX=$wine_session_prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # A server left behind by an interrupted run of this tree would make the
  # wait below endless.
  wineserver -k </dev/null >/dev/null 2>&1 || true
  # Makes the prefix on first use (crash dialog off), then lets its server end.
  "$runner" "$wine_session_prefix" cmd /c exit </dev/null >/dev/null 2>&1 || return 1
  timeout 60 wineserver -w </dev/null >/dev/null 2>&1 || true
  # Persistent for 120 s after its last client, should the stop be missed.
  (wineserver -p 120 </dev/null >/dev/null 2>&1 &)
  wine cmd /c exit </dev/null >/dev/null 2>&1
}
