#!/usr/bin/env bash
# usage: usage_errors_test.sh ORBILAN_CLI
# Every command of orbilan-cli, misused: an unknown option, a missing value,
# a bad number, a missing required option, options that conflict. Each is
# refused with status 2, nothing on stdout and one line on stderr that says
# what is wrong; an unknown option also shows the command's usage lines.
set -uo pipefail
cli=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0

# CASE: the expected line (a fixed string), then the command line.
refused() {
  local says=$1
  shift
  "$cli" "$@" < /dev/null > out 2> err
  local status=$?
  if [ "$status" -ne 2 ] || [ -s out ] || ! grep -qF -- "$says" err; then
    echo "orbilan-cli $*: status $status, stdout '$(cat out)', stderr '$(cat err)'; expected: $says" >&2
    failures=$((failures + 1))
  fi
}

refused "orbilan-cli config: unexpected argument '--bogus'" config --bogus
refused "usage: orbilan-cli config [--dir DIR]" config --bogus
refused "orbilan-cli config: --dir needs a value" config --dir
refused "orbilan-cli config: --dir: no folder /no/such" config --dir /no/such
refused "orbilan-cli config: --dir is given twice" config --dir . --dir=.

refused "orbilan-cli session: unexpected argument 'start'" session start
refused "orbilan-cli session: --ini needs a value" session --ini
refused "orbilan-cli session: --seed needs a whole number (0 to 18446744073709551615), not '0x10'" \
  session --simulate --seed 0x10
refused "orbilan-cli session: --dut needs --simulate" session --dut open
refused "orbilan-cli session: --sim-timing is instant or realtime, not 'fast'" session --simulate --sim-timing fast

refused "orbilan-cli serve: unexpected argument '--verbose'" serve --verbose
refused "orbilan-cli serve: --port needs a value" serve --port
refused "orbilan-cli serve: --port 65536 is out of range (0 to 65535)" serve --port 65536
refused "orbilan-cli serve: --port needs a whole number (0 to 65535), not '+80'" serve --port=+80
refused "orbilan-cli serve: --data-dir /no/such is no folder" serve --data-dir /no/such
refused "orbilan-cli serve: --no-auto-follow needs --simulate" serve --no-auto-follow

refused "orbilan-cli devices: unexpected argument '--all'" devices --all
refused "orbilan-cli devices: --ini needs a value" devices --ini
refused "orbilan-cli devices: --ini: no folder /no/such" devices --ini /no/such

sweep=(--start 1m --stop 2m --steps 10 -o r.cal)
refused "orbilan-cli calibrate: unexpected argument '--display'" calibrate --mode reflection "${sweep[@]}" --display SWR
refused "usage: orbilan-cli calibrate --mode reflection|transmission" calibrate --mode reflection --bogus
refused "orbilan-cli calibrate: --steps needs a value" calibrate --mode reflection --steps
refused "orbilan-cli calibrate: --steps needs a whole number (0 to 1000000), not '1e2'" calibrate --steps 1e2
refused "orbilan-cli calibrate: --start needs a frequency such as 10m, 1.5m, 500k or 1000000 (Hz), not '1M5'" \
  calibrate --start 1M5
refused "orbilan-cli calibrate: --mode is missing (reflection or transmission)" calibrate "${sweep[@]}"
refused "orbilan-cli calibrate: give either --start and --stop or --centre and --span, not both" \
  calibrate --mode reflection "${sweep[@]}" --centre 5m --span 1m
refused "orbilan-cli calibrate: --quiet takes no value" calibrate --quiet=yes

refused "orbilan-cli measure: unexpected argument '--cds'" measure --mode reflection --cal r.cal -o a.csv --cds
refused "orbilan-cli measure: --cal needs a value" measure --mode reflection --cal
refused "orbilan-cli measure: --sweeps needs a whole number (1 to 100000), not 'two'" measure --sweeps two
refused "orbilan-cli measure: --span -5m: a frequency is never negative" measure --centre 10m --span -5m
refused "orbilan-cli measure: --cal FILE is missing" measure --mode reflection -o a.csv
refused "orbilan-cli measure: --aperture belongs to --mode groupdelay" \
  measure --mode reflection --cal r.cal --aperture 1k -o a.csv

refused "orbilan-cli tdr: unexpected argument '--gate'" tdr in.s1p --gate 1 -o a.csv
refused "orbilan-cli tdr: --vf needs a value" tdr in.s1p --vf
refused "orbilan-cli tdr: --vf needs a number, not '0,66'" tdr in.s1p --vf 0,66 -o a.csv
refused "orbilan-cli tdr: -o FILE is missing" tdr in.s1p
refused "orbilan-cli tdr: one IN.s1p at a time: 'in.s1p' and 'b.s1p'" tdr in.s1p b.s1p -o a.csv

refused "orbilan-cli analyse: unexpected argument '--csv'" analyse a.s1p --csv
refused "orbilan-cli analyse: --drop needs a value" analyse a.s1p --drop
refused "orbilan-cli analyse: --swr needs a number, not '&H2'" analyse a.s1p --swr '&H2'
refused "orbilan-cli analyse: the Touchstone file is missing" analyse --json

refused "orbilan-cli: unknown command 'calibrat'" calibrat --help
refused "usage: orbilan-cli COMMAND [OPTIONS]"

# --help is the command's own and lists every option the same way.
for command in config session serve devices calibrate measure tdr analyse; do
  if ! "$cli" "$command" --bogus --help > out 2> err || ! grep -q '^  -h, --help ' out || [ -s err ]; then
    echo "orbilan-cli $command --help: $(cat out err)" >&2
    failures=$((failures + 1))
  fi
done

[ "$failures" -eq 0 ] || { echo "$failures misuses not refused as expected" >&2; exit 1; }
echo "every misuse refused with status 2"
