#!/usr/bin/env bash
# The main job: opens the recognition-range page on the sample installation,
# with a stand-in input-method server listening for the reload notification.
#
# With a display (DISPLAY set and RECO_DEMO_HEADLESS unset) the page opens
# there for a person to use. Without one it runs on a virtual display, saves
# a screenshot of the page under build/demo/, confirms it as a user would,
# and prints what the server received and the settings file that was
# written.
#
# The page language follows LANG: LANG=zh_CN.UTF-8 shows the Chinese page
# with Chinese texts; the default shows the Latin page with English texts.
# Each language keeps its own Wine prefix (and so its own settings file).
#
# Environment:
#   RECO_BUILD_ROOT     where the build trees go (default: <repo>/build)
#   RECO_SKIP_SETUP=1   skip installing packages
#   RECO_DEMO_HEADLESS=1  use a virtual display even when DISPLAY is set
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
build_root=${RECO_BUILD_ROOT:-$repo/build}
lang=${LANG:-en_US.UTF-8}
case $lang in
  C | C.UTF-8 | POSIX | "") lang=en_US.UTF-8 ;;
esac
export LANG=$lang

say() { printf '\n==== %s\n' "$*"; }

if [[ ${RECO_SKIP_SETUP:-0} != 1 ]]; then
  say "setting up"
  "$repo/scripts/setup.sh"
fi

# recopage, the tests' page driver, is built in the same tree by name (it is
# never part of the package): without a display it acts on the page.
say "building recorange.exe and recoctl.exe (windows-release preset: what the package holds)"
[[ -f $build_root/windows-release/CMakeCache.txt ]] ||
  cmake --preset windows-release -B "$build_root/windows-release" >/dev/null
cmake --build "$build_root/windows-release" -j 2 --target recorange recoctl recopage >/dev/null
bin=$build_root/windows-release
recorange=$(find "$bin" -name recorange.exe -path '*app*' | head -n1)
recoctl=$(find "$bin" -name recoctl.exe | head -n1)
recopage=$(find "$bin" -name recopage.exe | head -n1)

demo=$build_root/demo
mkdir -p "$demo"
lang_tag=${lang%%.*}
export WINEPREFIX=$demo/wineprefix-$lang_tag WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# shellcheck source=scripts/wine-session.sh
source "$repo/scripts/wine-session.sh"
server_pid=
cleanup() {
  if [[ -n $server_pid ]]; then kill "$server_pid" 2>/dev/null || true; fi
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wine_session_stop
}
trap cleanup EXIT

headless=0
if [[ -z ${DISPLAY:-} || ${RECO_DEMO_HEADLESS:-0} == 1 ]]; then
  headless=1
  wine_session_start_xvfb
fi

say "preparing the Wine prefix $WINEPREFIX"
"$repo/cmake/wine-run.sh" "$WINEPREFIX" cmd /c exit </dev/null >/dev/null 2>&1
reg() { wine reg add "$@" /f </dev/null >/dev/null 2>&1; }
# A virtual desktop draws the caption without a window manager. (The
# device's fonts came with the prefix: cmake/wine-run.sh.)
reg 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default
reg 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 640x480
wineserver -w </dev/null >/dev/null 2>&1 || true
(wineserver -p 60 </dev/null >/dev/null 2>&1 &)
wine cmd /c exit </dev/null >/dev/null 2>&1

say "starting the stand-in input-method server"
wine "$recoctl" serve </dev/null >"$demo/server.log" 2>&1 &
server_pid=$!
sleep 1

say "opening the page (LANG=$lang)"
# The program's own exit status, which set -e would otherwise turn into the
# end of this script: 0 after a page ran, 1 when another page was open, -1
# (255) when start-up failed.
page_status=0
if [[ $headless == 0 ]]; then
  wine "$recorange" </dev/null || page_status=$?
else
  wine "$recorange" </dev/null &
  page_pid=$!
  wine "$recopage" wait --timeout 60 </dev/null
  shot=$demo/page-$lang_tag.png
  xwd -root -silent | convert xwd:- -trim +repage -trim +repage "$shot"
  echo "screenshot: $shot"
  say "what the page shows"
  wine "$recopage" state </dev/null
  say "confirming the page as a user would (OK)"
  wine "$recopage" ok </dev/null
  wait "$page_pid" || page_status=$?
fi
echo "the page exited with $page_status"
sleep 1

say "what the server received"
cat "$demo/server.log"

settings=$(find "$WINEPREFIX/drive_c/users" -path '*System/QXLum/VEQ/Config/Settings.ini' | head -n1)
say "the settings file written at exit: ${settings:-none}"
if [[ -n $settings ]]; then
  iconv -f UTF-16 -t UTF-8 "$settings" | tr -d '\r'
  echo
  for key in option SCRange LatinRange Extend; do
    printf '%-10s ' "$key"
    wine "$recoctl" ini get "$(winepath -w "$settings")" option "$key" --size 512 --result </dev/null | cut -c1-60
  done
fi
