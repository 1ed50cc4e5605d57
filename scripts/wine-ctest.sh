#!/usr/bin/env bash
# Runs ctest in a Windows build tree under Wine the quick way: a virtual
# display and one persistent wineserver for the whole run.
#
#   scripts/wine-ctest.sh build/windows [ctest arguments...]
#
# (ctest --preset windows also works, but starts a server per test and so
# takes seconds per test.)
set -uo pipefail
if (($# < 1)); then
  echo "usage: $0 BUILD_DIR [ctest arguments...]" >&2
  exit 2
fi
dir=$1
shift
# shellcheck source=scripts/wine-session.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine-session.sh"
trap wine_session_stop EXIT
wine_session_start "$dir" || exit 1
ctest --test-dir "$dir" --output-on-failure "$@"
