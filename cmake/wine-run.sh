#!/usr/bin/env bash
# Runs a Windows program under Wine in a given prefix:
#   wine-run.sh PREFIX PROGRAM.exe [ARGS...]
# Creates the prefix on first use (once, under a lock, so that tests started
# in parallel wait for it), with the fonts of the device the pages are made
# for (scripts/wine-prefix.sh). Wine's own diagnostics are off so that a test's
# output is the program's alone; its crash dialog is off so that a crash
# under a virtual display ends the test instead of waiting for a click; and
# its windows are unmanaged: with no window manager (as under Xvfb) Wine
# otherwise waits two seconds for one whenever a dialog closes.
set -euo pipefail

prefix=$1
shift

export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts while the prefix is made.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Made once, under a lock; the device's fonts also go into a prefix made
# before they were part of it.
if [[ ! -f $prefix/.reco-fonts ]]; then
  mkdir -p "$(dirname "$prefix")"
  exec 9>"$prefix.lock"
  flock 9
  if [[ ! -f $prefix/.reco-ready ]]; then
    wineboot -i </dev/null >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
      </dev/null >/dev/null 2>&1
    touch "$prefix/.reco-ready"
  fi
  if [[ ! -f $prefix/.reco-fonts ]]; then
    # After wineboot, which ran in this locale: see wine-prefix.sh.
    # shellcheck source=scripts/wine-prefix.sh
    source "$(dirname "${BASH_SOURCE[0]}")/../scripts/wine-prefix.sh"
    wine_prefix_device_like
    touch "$prefix/.reco-fonts"
  fi
  # Let the server that made the prefix write the registry and end, so
  # that a persistent one can be started for the test run.
  timeout 60 wineserver -w </dev/null >/dev/null 2>&1 || true
  exec 9>&-
fi

exec wine "$@"
