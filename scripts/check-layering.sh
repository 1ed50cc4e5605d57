#!/usr/bin/env bash
# Checks the include lines against the layering the project is built on:
#
#   - system code (app/ shared/ settings/ builder/ ini/ paths/) includes no header of
#     the operating system or of a library: an angle-bracket include must be
#     a C++ standard header (a bare name such as <cstring>), a quoted one a
#     file of this repository;
#   - system code includes nothing from tools/ or tests/;
#   - nothing outside platform/ includes platform/posix/, platform/windows/ or
#     platform/ce/;
#   - platform/, the ground floor, includes nothing above it: a quoted
#     include there names a file under platform/ (resources/ is above it too).
#
# Prints one line per offending include and exits 1 when there is any.
#
#   scripts/check-layering.sh [REPO_DIR]
set -euo pipefail

repo=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
cd "$repo"

files=$(mktemp)
trap 'rm -f "$files"' EXIT
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files --cached --others --exclude-standard
else
  find . -type f ! -path './build/*' | sed 's|^\./||'
fi >"$files"

# awk reads the list of the repository's files first, then every C++ source
# named in it.
# shellcheck disable=SC2016  # the program is awk's, not the shell's
grep -E '\.(c|cc|cpp|cxx|h|hh|hpp)$' "$files" | grep -vE '^build/' | tr '\n' '\0' |
  xargs -0 awk '
    FNR == NR { known[$0] = 1; next }
    FNR == 1 {
      file = FILENAME
      dir = file; sub(/\/[^\/]*$/, "", dir)
      system_code = file ~ /^(app|shared|settings|builder|ini|paths)\//
    }
    /^[ \t]*#[ \t]*include[ \t]*[<"]/ {
      target = $0
      sub(/^[ \t]*#[ \t]*include[ \t]*/, "", target)
      angle = substr(target, 1, 1) == "<"
      name = substr(target, 2)
      sub(/[>"].*$/, "", name)
      shown = angle ? "<" name ">" : "\"" name "\""
      if (file !~ /^platform\// && name ~ /^platform\/(posix|windows|ce)\//) {
        bad("only platform/ includes a platform'"'"'s own headers")
      }
      if (file ~ /^platform\// && !angle && name !~ /^platform\//) {
        bad("platform/ includes nothing above it")
      }
      if (!system_code) next
      if (angle) {
        if (name ~ /[\/.]/) bad("system code includes a header of the system or a library")
      } else if (name ~ /^(tools|tests)\//) {
        bad("system code includes a tool'"'"'s or a test'"'"'s header")
      } else if (!(name in known) && !((dir "/" name) in known)) {
        bad("system code includes a header that is not the project'"'"'s")
      }
    }
    function bad(why) {
      printf "%s:%d: %s: #include %s\n", file, FNR, why, shown
      violations++
    }
    END {
      if (violations > 0) {
        printf "layering: %d include(s) break the layering\n", violations
        exit 1
      }
      print "layering: every include keeps to its layer"
    }
  ' "$files" || exit 1
