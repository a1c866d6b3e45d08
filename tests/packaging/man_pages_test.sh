#!/usr/bin/env bash
# usage: man_pages_test.sh MAN_FOLDER ORBILAN_CLI [ORBILAN]
# Holds the manual pages to the programs: every command orbilan-cli lists has
# its section in orbilan-cli(1), and every option a program or command prints
# with --help is in the program's page.
set -euo pipefail
man=$1
cli=$2
gui=${3:-}
missing=0

# The page's text as written, with roff's escaped dashes and font changes
# taken out: "\-\-start" and "\fB\-o\fR" read as --start and -o.
page_text() { sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\(dq/"/g' "$1"; }

# The options a help text names: words that start with one or two dashes and
# a letter, wherever they stand ("[--dir DIR]", "(--start F", "-o FILE").
options_in() { grep -oE '(^|[][ (|,])--?[A-Za-z][A-Za-z0-9-]*' | sed -E 's/^[][ (|,]//' | sort -u; }

check_options() { # PAGE_TEXT_FILE WHAT < help text
  local text=$1 what=$2 option
  while IFS= read -r option; do
    if ! grep -qE -- "(^|[^A-Za-z0-9-])${option}([^A-Za-z0-9-]|$)" "$text"; then
      echo "$what: $option is not in $(basename "${text%.text}")" >&2
      missing=$((missing + 1))
    fi
  done < <(options_in)
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
page_text "$man/orbilan-cli.1" > "$work/orbilan-cli.1.text"

"$cli" --help > "$work/help"
check_options "$work/orbilan-cli.1.text" "orbilan-cli --help" < "$work/help"
commands=$(sed -n '/^commands:/,/^$/p' "$work/help" | awk '/^  [a-z]/ {print $1}')
[ -n "$commands" ] || { echo "orbilan-cli --help lists no commands" >&2; exit 1; }
for command in $commands; do
  if ! grep -qx "\.SS $command" "$work/orbilan-cli.1.text"; then
    echo "orbilan-cli $command has no section in orbilan-cli.1" >&2
    missing=$((missing + 1))
  fi
  check_options "$work/orbilan-cli.1.text" "orbilan-cli $command --help" < <("$cli" "$command" --help)
done

if [ -n "$gui" ]; then
  page_text "$man/orbilan.1" > "$work/orbilan.1.text"
  check_options "$work/orbilan.1.text" "orbilan --help" < <(env -u DISPLAY -u WAYLAND_DISPLAY "$gui" --help)
fi

[ "$missing" -eq 0 ] || exit 1
echo "every command and option is in the manual pages"
