#!/usr/bin/env bash
# orbilan-cli config: the settings of a vna.ini, messages on stderr, exit 0.
set -euo pipefail
cli=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf 'owner = Lab1 bench\r\nclk=148.33\r\nport=&H278\r\nusb = yes please\r\nnpoints=10\r\ngraticule=3\r\nadctype=2440\r\nadcmode=15\r\nusbid = 4B4:8613 an FX2\r\n' > "$dir/vna.ini"
"$cli" config --dir "$dir" > "$dir/out" 2> "$dir/err"
expected='Title=Lab1'"'"'s Kesp VNA
OwnerName=Lab1
ClockMHz=148.33
ClockHz=148330002
DataPort=632
StatusPort=633
UsbLink=true
ReadOverheadMs=0.3
AdcWaitMs=10
GraticuleColour=0x808080
Z0=50
LoadStdR=50
LoadStdC=0
LoadStdL=0
AdcMode=15
AdcType=2440
AdcAverages=1
SweepPoints=21
UsbId=04b4:8613'
diff <(echo "$expected") "$dir/out"
diff <(printf 'VNA.INI  npoints entry error\nnpoints set to default (21)\n') "$dir/err"
rm "$dir/vna.ini"
"$cli" config --dir "$dir" > "$dir/out" 2> "$dir/err"
grep -qx 'No vna.ini file found - using defaults' "$dir/err"
grep -qx 'ClockHz=148330000' "$dir/out"
grep -qx 'Title=Orbilan for Kesp VNA' "$dir/out"
if "$cli" config --bogus > /dev/null 2>&1; then echo "bad usage accepted"; exit 1; fi
# A folder that is not there is a mistake, not a missing file.
set +e; "$cli" config --dir "$dir/none" > /dev/null 2>&1; status=$?; set -e
test "$status" -eq 2
# A vna.ini that is no file to read: said so, at once, with the defaults.
ln -s /dev/zero "$dir/vna.ini"
timeout 20 "$cli" config --dir "$dir" > "$dir/out" 2> "$dir/err"
diff <(printf 'Error 75 reading vna.ini: Not a regular file\n%s\n' "$dir/vna.ini") "$dir/err"
grep -qx 'AdcAverages=1' "$dir/out"
rm "$dir/vna.ini"
mkfifo "$dir/vna.ini"
timeout 20 "$cli" config --dir "$dir" > "$dir/out" 2> "$dir/err"
grep -q 'Not a regular file' "$dir/err"
echo "config command: ok"
