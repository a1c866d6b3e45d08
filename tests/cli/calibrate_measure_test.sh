#!/usr/bin/env bash
# The README's two commands through the program itself: calibrate the
# simulator, measure a device to a Touchstone file; then the exit statuses.
set -euo pipefail
cli=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"

"$cli" calibrate --simulate --mode reflection --start 1m --stop 30m --steps 100 -o bench.cal > out 2> err
grep -qx 'reflection calibration of 101 points, 1000000 to 30000000 Hz, written to bench.cal' out
"$cli" measure --simulate --dut refl:R=10,L=1u,C=100p,topology=series --mode reflection --cal bench.cal \
  -o antenna.s1p > out 2> err
grep -Eqx '101 points, 1000000 to 30000000 Hz \(Calibrated\), swept in [0-9]+\.[0-9]{2} s \(estimate 30\.3 s\), written to antenna\.s1p' out
grep -qx '# HZ S RI R 50' <(tr -d '\r' < antenna.s1p)
test "$(tr -d '\r' < antenna.s1p | grep -cv '^[!#]')" -eq 101

status() { set +e; "$@" > /dev/null 2>&1; echo $?; set -e; }
test "$(status "$cli" measure --simulate --mode reflection --cal bench.cal -o x.txt)" -eq 2
test "$(status "$cli" calibrate --simulate --mode reflection --start 1m --stop 2m --steps 0 -o y.cal)" -eq 2
test "$(status "$cli" measure --simulate --mode transmission --cal bench.cal -o x.s2p)" -eq 1
test "$(status "$cli" measure --simulate --mode reflection --cal missing.cal -o x.s1p)" -eq 1
test ! -e x.s1p
# The bad-usage line names the problem on stderr.
set +e
"$cli" measure --simulate --mode reflection -o x.s1p 2> err
set -e
grep -qx 'orbilan-cli measure: --cal FILE is missing' err

# measure then tdr: the harmonic sweep is the natural pair; another refused.
"$cli" calibrate --simulate --mode reflection --tdr-grid --stop 30m --steps 100 -o tdr.cal > out
"$cli" measure --simulate --dut refl:R=100 --mode reflection --cal tdr.cal -o tdr.s1p > out
grep -Eqx '101 points, 297029 to 29999929 Hz \(Calibrated\), swept in [0-9]+\.[0-9]{2} s \(estimate [0-9.]+ s\), written to tdr\.s1p' out
"$cli" tdr tdr.s1p --vf 0.66 --max-distance 50 -o tdr.csv > out
grep -qx 'distance_m,time_s,impulse,step_rho,impedance_ohm' <(tr -d '\r' < tdr.csv | head -1)
test "$(status "$cli" tdr antenna.s1p -o no.csv)" -eq 2
test ! -e no.csv
echo ok
