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
  # Googletest's sources (built for the Windows target); Wine, with a
  # virtual display for the dialogs. The 32-bit compiler and Wine's 32-bit
  # loader come below.
  googletest wine wine64 xvfb
  # Not for a build: its C++ library headers serve the CE compile check.
  g++-mingw-w64-x86-64
  # Screenshots and Chinese text in them.
  x11-apps imagemagick fonts-wqy-zenhei
  # Languages the tests switch between (localedef below).
  locales
)
locales=(zh_CN en_US de_DE)
# The Windows build is 32-bit, the device's word size: the i686 compiler, and
# Wine's 32-bit loader from the i386 architecture. The i386 lists can lag the
# amd64 ones, and apt then refuses them at once; that must not stop the
# native phases, so these are installed on their own, and scripts/test.sh
# counts the 32-bit Windows phases as skipped when they are missing.
win32_packages=(g++-mingw-w64-i686 wine32:i386)

log() { printf 'setup: %s\n' "$*"; }

as_root() {
  if [[ $(id -u) -eq 0 ]]; then
    "$@"
  else
    sudo -n "$@"
  fi
}

# dpkg-query takes "name:arch" as it takes a plain name.
installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q '^install ok installed$'
}

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
win32_missing=()
for p in "${win32_packages[@]}"; do
  installed "$p" || win32_missing+=("$p")
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

apt=(env DEBIAN_FRONTEND=noninteractive apt-get -q -o Dpkg::Use-Pty=0)
if ((${#missing[@]} + ${#win32_missing[@]})); then
  if ((${#win32_missing[@]})) && ! dpkg --print-foreign-architectures | grep -qx i386; then
    log "adding the i386 architecture (for Wine's 32-bit loader)"
    as_root dpkg --add-architecture i386
  fi
  retry as_root "${apt[@]}" update </dev/null
fi
if ((${#missing[@]})); then
  log "installing ${missing[*]}"
  retry as_root "${apt[@]}" install -y "${missing[@]}" </dev/null
fi
if ((${#win32_missing[@]})); then
  log "installing ${win32_missing[*]}"
  if ! retry as_root "${apt[@]}" install -y "${win32_missing[@]}" </dev/null; then
    log "the 32-bit Windows packages (${win32_missing[*]}) could not be installed" \
      "(apt's message is above; the i386 lists may lag the amd64 ones). The native" \
      "phases still run; scripts/test.sh counts the 32-bit Windows phases as skipped."
  fi
fi
if ((${#missing[@]} + ${#win32_missing[@]} == 0)); then
  log "all $((${#packages[@]} + ${#win32_packages[@]})) packages present"
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
