#!/usr/bin/env bash
# Under Wine, end to end: the settings write-back of recorange.exe on a full
# disk, and killed at many instants of its exit. Every run must leave the
# settings file whole: the old one or the new one, never an empty or
# zero-filled file, as the next start would read it (a complete new file may
# wait beside it as Settings.new: settings/settings_replace.h), and the program
# must never fault.
#
#   scripts/wine-reliability.sh BUILD_DIR
#
# Uses the Wine session of BUILD_DIR (scripts/wine-session.sh), starting one
# when none is running. The full-disk runs mount a small tmpfs over the
# settings folder, which needs root; without it they are skipped with a
# message. Prints one line per run and a closing "N passed, N failed".
#
# Environment: RECO_FULL_DISK_RUNS (default 10), RECO_KILL_RUNS (default 24).
set -uo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dir=$(cd "${1:?usage: wine-reliability.sh BUILD_DIR}" && pwd)
full_disk_runs=${RECO_FULL_DISK_RUNS:-10}
kill_runs=${RECO_KILL_RUNS:-24}
recorange=$(find "$dir" -name recorange.exe -path '*app*' | head -n1)
# The page is driven by the tests' companion, built with the tests.
recopage_exe=$(find "$dir" -name recopage.exe | head -n1)
[[ -n $recorange && -n $recopage_exe ]] || { echo "no recorange.exe or recopage.exe under $dir"; exit 1; }

# shellcheck source=scripts/wine-session.sh
source "$repo/scripts/wine-session.sh"
if [[ -z ${WINEPREFIX:-} ]]; then
  wine_session_start "$dir" || exit 1
  trap wine_session_stop EXIT
fi

passed=0
failed=0
pass() { passed=$((passed + 1)); printf 'ok    %s\n' "$*"; }
fail() { failed=$((failed + 1)); printf 'FAIL  %s\n' "$*"; }

recopage() { wine "$recopage_exe" "$@" </dev/null >/dev/null 2>&1; }

# Starts the program and waits for its page; sets page_pid.
open_page() {
  wine "$recorange" </dev/null >/dev/null 2>&1 &
  page_pid=$!
  recopage wait --timeout 30
}

# One whole run: open the page, set the space check box (on or off), confirm,
# and return the program's exit status.
run_once() {
  open_page || { kill -9 "$page_pid" 2>/dev/null; wait "$page_pid"; return 99; }
  recopage check 305 "$1"
  recopage ok
  wait "$page_pid"
}

# The first run makes the data folder; then the two files a run can leave.
run_once off >/dev/null
config=$(find "$WINEPREFIX/drive_c/users" -path '*System/QXLum/VEQ/Config' -type d | head -n1)
settings=$config/Settings.ini
temp=$config/Settings.tmp
# Every name a write-back passes through.
leftovers() { ls "$config"/Settings.{tmp,new,bak,nbk} 2>/dev/null; }
# The file the next start reads: the newest complete one.
current() {
  local name
  for name in new nbk ini bak; do
    [[ $name == nbk && ! -e $temp ]] && continue
    [[ -e $config/Settings.$name ]] && { echo "$config/Settings.$name"; return; }
  done
  echo "$settings"
}
[[ -f $settings ]] || { echo "the program wrote no settings file"; exit 1; }
work=$(mktemp -d)
cp "$settings" "$work/off"
run_once on
cp "$settings" "$work/on"
if cmp -s "$work/off" "$work/on"; then
  echo "the check box made no difference to the settings file"
  exit 1
fi

# Full disk: the settings folder on a tmpfs of 64 KiB holding the old file,
# filled to the last page or with one page free (both less than the room a
# writer reserves). The program exits 0 and the old file stays as it was.
full_disk() {
  local run status free
  if ! mount -t tmpfs -o size=64k tmpfs "$work" 2>/dev/null; then
    echo "skipped: the full-disk runs need to mount a tmpfs (root)"
    return
  fi
  umount "$work"
  cp "$work/off" "$work/old"
  for ((run = 1; run <= full_disk_runs; run++)); do
    mount -t tmpfs -o size=64k tmpfs "$config" || { fail "full disk: cannot mount"; return; }
    cp "$work/old" "$settings"
    free=$(( run % 2 ? 0 : 4096 ))
    dd if=/dev/zero of="$config/filler" bs=4096 count=64 status=none 2>/dev/null
    if ((free > 0)); then
      rm -f "$config/filler"
      dd if=/dev/zero of="$config/filler" bs=4096 \
        count=$(( $(stat -f -c '%a' "$config") - 1 )) status=none 2>/dev/null
    fi
    run_once on
    status=$?
    if [[ $status == 0 ]] && cmp -s "$settings" "$work/old" && [[ -z $(leftovers) ]]; then
      pass "full disk, $free bytes free: exit 0, old file intact"
    else
      fail "full disk, $free bytes free: exit $status, $(cmp "$settings" "$work/old" 2>&1)"
    fi
    umount "$config"
  done
}

# Kills: the program confirmed, then killed a growing time after its
# write-back began, as seen from here: the moment the temporary file appears
# or the settings file changes (a timing from the confirmation would be
# swamped by the close, whose time varies by more than the write-back takes).
# The file the next start reads is then the old one or the new one; the next
# normal run starts from it and leaves no other name behind.
kills() {
  local run delay state ok_pid i read_by_load
  for ((run = 1; run <= kill_runs; run++)); do
    rm -f "$config"/Settings.*
    cp "$work/off" "$settings"
    touch -d '-1 second' "$settings"
    touch "$work/mark"
    open_page || { fail "kill $run: the page did not open"; kill -9 "$page_pid"; continue; }
    recopage check 305 on
    # The write-back takes a millisecond or two here: the delay is counted in
    # turns of an empty loop (about a microsecond each), not in sleeps.
    delay=$(((run - 1) * 100))
    recopage ok &
    ok_pid=$!
    until [[ -n $(leftovers) || $settings -nt $work/mark ]] || ! kill -0 "$page_pid" 2>/dev/null; do :; done
    for ((i = 0; i < delay; i++)); do :; done
    kill -9 "$page_pid" 2>/dev/null && state="killed" || state="had ended"
    wait "$page_pid" 2>/dev/null
    wait "$ok_pid" 2>/dev/null
    read_by_load=$(current)
    if cmp -s "$read_by_load" "$work/off"; then
      pass "kill $delay turns into the write-back ($state): old file"
    elif cmp -s "$read_by_load" "$work/on"; then
      pass "kill $delay turns into the write-back ($state): new file (${read_by_load##*/})"
    else
      fail "kill $delay turns into the write-back ($state): ${read_by_load##*/} has $(wc -c <"$read_by_load") bytes, neither old nor new"
    fi
  done
  if run_once on && cmp -s "$settings" "$work/on" && [[ -z $(leftovers) ]]; then
    pass "a normal run after the kills: new file, no other name left"
  else
    fail "a normal run after the kills"
  fi
}

full_disk
kills
rm -rf "$work"
echo "$passed passed, $failed failed"
((failed == 0))
