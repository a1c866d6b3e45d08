#!/usr/bin/env bash
# usage: check_run_paths.sh FOLDER...
# Reads the dynamic section of every program and shared library under the
# folders and fails on a run path entry the loader would take relative to the
# working folder: an empty entry is the working folder itself, a relative
# entry starts from it. Entries must be absolute or start with $ORIGIN.
set -euo pipefail

checked=0
bad=0
while IFS= read -r -d '' file; do
  [ "$(head -c 4 "$file" | od -An -c | tr -d ' ')" = '177ELF' ] || continue
  checked=$((checked + 1))
  while IFS= read -r line; do
    value=${line#*[}
    value=${value%]}
    kind=$(sed -n 's/.*(\(RPATH\|RUNPATH\)).*/\1/p' <<<"$line")
    verdict=$(awk -v v="$value" 'BEGIN {
        if (v == "") { print "an empty run path"; exit }
        n = split(v, entry, ":")
        for (i = 1; i <= n; i++) {
          if (entry[i] == "") { print "an empty entry"; exit }
          if (entry[i] !~ /^\// && entry[i] !~ /^\$(ORIGIN|\{ORIGIN\})(\/|$)/) { print "the relative entry " entry[i]; exit }
        }
      }')
    if [ -n "$verdict" ]; then
      echo "$file: $kind [$value] has $verdict" >&2
      bad=$((bad + 1))
    fi
  done < <(readelf -d "$file" 2>/dev/null | grep -E '\((RPATH|RUNPATH)\)' || true)
done < <(find "$@" -type f \( -perm -u+x -o -name '*.so' -o -name '*.so.*' \) ! -path '*/CMakeFiles/*' -print0)

if [ "$checked" -eq 0 ]; then
  echo "no program or library found under $*" >&2
  exit 1
fi
if [ "$bad" -ne 0 ]; then
  echo "$bad of $checked programs and libraries search the working folder" >&2
  exit 1
fi
echo "$checked programs and libraries: every run path entry is absolute or \$ORIGIN"
