#!/usr/bin/env bash
# The release as a Windows user meets it: unpacks the ZIP into an empty
# folder and, under a Wine prefix of its own made for the run, starts the
# program from there and confirms its page. Passes when the ZIP holds the
# programs and no page driver, recoctl names the version the ZIP is named
# after and lists no page command, the page opens with the sample
# installation's texts, the program exits with 0 and the settings file is
# written.
#
#   scripts/package-test.sh ZIP WORK_DIR RECOPAGE   (WORK_DIR is emptied first)
#
# RECOPAGE is the tests' page driver from a build tree (recopage.exe): the
# release does not hold it, and it acts on the page as a user would.
set -uo pipefail

if (($# != 3)); then
  echo "usage: $0 ZIP WORK_DIR RECOPAGE" >&2
  exit 2
fi
zip=$(realpath "$1")
work=$2
recopage_exe=$(realpath "$3")
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

fail() {
  echo "package test: $*" >&2
  exit 1
}

rm -rf "$work"
mkdir -p "$work/unpacked"
work=$(cd "$work" && pwd)
(cd "$work/unpacked" && cmake -E tar xf "$zip") || fail "could not unpack $zip"
name=$(basename "$zip" .zip)
folder=$work/unpacked/$name
[[ -f $folder/recorange.exe && -f $folder/recoctl.exe ]] || fail "$name/ lacks the programs"
[[ -z $(find "$folder" -iname 'recopage*') ]] || fail "$name/ holds the tests' page driver"
[[ -f $recopage_exe ]] || fail "no page driver $recopage_exe"

# shellcheck source=scripts/wine-session.sh
source "$repo/scripts/wine-session.sh"
page_pid=
stop() {
  [[ -n $page_pid ]] && kill "$page_pid" 2>/dev/null
  wine_session_stop
}
trap stop EXIT
wine_session_start_xvfb >/dev/null || fail "no virtual display"
# A prefix as Wine makes it, with only the crash dialog off, so that a crash
# ends the run instead of waiting for a click.
wine_session_prefix=$work/wineprefix
export WINEPREFIX=$wine_session_prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
  </dev/null >/dev/null 2>&1

cd "$folder" || fail "no folder $folder"
recoctl() { wine ./recoctl.exe "$@" </dev/null; }
recopage() { wine "$recopage_exe" "$@" </dev/null; }

version=$(recoctl --version | tr -d '\r')
[[ $name == "recorange-$version-win32" ]] || fail "recoctl says version \"$version\", the ZIP is $name"
recoctl --help | grep -qE '^ +page( |$)' && fail "the released recoctl has a page command"
wine ./recorange.exe </dev/null &
page_pid=$!
recopage wait --timeout 60 || fail "the page did not open"
state=$(recopage state) || fail "the page state could not be read"
echo "$state" | head -n1
grep -q 'title ""' <<<"$state" && fail "the page has no title: the sample installation was not read"
recopage ok || fail "the page did not close on OK"
wait "$page_pid"
status=$?
page_pid=
((status == 0)) || fail "recorange.exe exited with $status"
settings=$(find "$WINEPREFIX/drive_c/users" -path '*System/QXLum/VEQ/Config/Settings.ini' | head -n1)
[[ -s $settings ]] || fail "no settings file was written"
echo "package test: $name unpacked, ran and wrote ${settings#"$WINEPREFIX"/}"
# The prefix takes some 700 MB; it is kept only when the test fails.
trap - EXIT
stop
rm -rf "$work"
