#!/usr/bin/env bash
# Installs what building and testing every preset needs on Debian 12, and
# generates the locales the tests switch between. Safe to run again: when
# everything is present it changes nothing and takes about a second.
#
# Runs as root (or through sudo without a password), with or without a
# terminal: CI calls it with CI=true and no standard input.
set -euo pipefail

packages=(
  # Native builds and tests.
  cmake ninja-build g++ libgtest-dev libcli11-dev nlohmann-json3-dev
  # libFuzzer and the sanitizers; the lint.
  clang libclang-rt-14-dev clang-tidy
  # Benchmarks.
  libbenchmark-dev
  # The Windows build (googletest's sources are built for it) and its run
  # under Wine, with a virtual display for the dialogs.
  g++-mingw-w64-x86-64 googletest wine wine64 xvfb
  # Screenshots and Chinese text in them.
  x11-apps imagemagick fonts-wqy-zenhei
  # Languages the tests switch between (localedef below).
  locales
)
locales=(zh_CN en_US de_DE)

log() { printf 'setup: %s\n' "$*"; }

as_root() {
  if [[ $(id -u) -eq 0 ]]; then
    "$@"
  else
    sudo -n "$@"
  fi
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

# A registry hiccup should not fail a whole CI run: each step gets three tries.
retry() {
  local n
  for n in 1 2 3; do
    "$@" && return 0
    log "failed (try $n of 3): $*"
    sleep $((n * 5))
  done
  return 1
}

if ((${#missing[@]})); then
  log "installing ${missing[*]}"
  apt=(env DEBIAN_FRONTEND=noninteractive apt-get -q -o Dpkg::Use-Pty=0)
  retry as_root "${apt[@]}" update </dev/null
  retry as_root "${apt[@]}" install -y "${missing[@]}" </dev/null
else
  log "all ${#packages[@]} packages present"
fi

# localedef writes into the locale archive; `locale -a` lists them as
# zh_CN.utf8 and so on.
available=$(locale -a 2>/dev/null | tr '[:upper:]' '[:lower:]')
for l in "${locales[@]}"; do
  want=$(printf '%s.utf8' "$l" | tr '[:upper:]' '[:lower:]')
  if ! grep -qx "$want" <<<"$available"; then
    log "generating locale $l.UTF-8"
    as_root localedef -i "$l" -f UTF-8 "$l.UTF-8"
  fi
done

log "ready"
