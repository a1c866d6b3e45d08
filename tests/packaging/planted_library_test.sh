#!/usr/bin/env bash
# usage: planted_library_test.sh PLANTED_LIBRARY PROGRAM...
# A working folder holding a libm.so.6 of an attacker's: each program started
# there must load the system's libm and run as usual, never the planted one.
set -euo pipefail
planted=$(realpath "$1")
shift
programs=()
for program in "$@"; do programs+=("$(realpath "$program")"); done
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$planted" "$dir/libm.so.6"
cd "$dir"

for program in "${programs[@]}"; do
  case "$(basename "$program")" in
    orbilan-cli) arguments=(config) expected='^SweepPoints=' ;;
    *) arguments=(--version) expected='^orbilan ' ;;
  esac
  if ! env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "${arguments[@]}" > out 2> err; then
    echo "$program ${arguments[*]} failed in a folder with a planted libm.so.6:" >&2
    cat err >&2
    exit 1
  fi
  grep -q "$expected" out || { echo "$program ${arguments[*]} printed:" >&2; cat out >&2; exit 1; }
  if [ -e planted-library-ran ]; then
    echo "$program loaded the libm.so.6 of its working folder" >&2
    exit 1
  fi
done
echo ok
