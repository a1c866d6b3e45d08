#!/usr/bin/env bash
# usage: installed_tree_test.sh --build BUILD_DIR|--deb PACKAGE.deb CHECKER GUI(ON|OFF)
# Installs the build into a temporary prefix, as the package lays it out (or
# unpacks the package), and uses it from another working folder: the
# programs start and find their libraries, a simulated calibration and
# measurement run over both transports, the manual pages render, the desktop
# files validate.
set -euo pipefail
from=$1
source=$2
check_run_paths=$3
gui=$4

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
prefix=$root/usr
fail() { echo "installed tree: $*" >&2; exit 1; }
listed=()
case "$from" in
  --build)
    cmake --install "$source" --prefix "$prefix" > "$root/install.log"
    while IFS= read -r line; do
      case "$line" in "-- Installing: "*|"-- Up-to-date: "*) listed+=("${line#-- *: }") ;; esac
    done < "$root/install.log"
    ;;
  --deb)
    dpkg-deb -x "$source" "$root"
    while IFS= read -r f; do
      case "$f" in */) ;; *) listed+=("$root/${f#./}") ;; esac
    done < <(dpkg-deb --fsys-tarfile "$source" | tar -t)
    ;;
  *) fail "say --build or --deb" ;;
esac
[ ${#listed[@]} -gt 0 ] || fail "nothing was installed"

# What a desktop installation of Orbilan consists of.
expected=(
  bin/orbilan-cli
  lib/orbilan/libbrindle.so lib/orbilan/libinpout32.so lib/orbilan/libkespsim.so
  share/man/man1/orbilan.1.gz share/man/man1/orbilan-cli.1.gz
  share/applications/orbilan.desktop
  share/icons/hicolor/scalable/apps/orbilan.svg
  share/icons/hicolor/48x48/apps/orbilan.png
  share/icons/hicolor/128x128/apps/orbilan.png
  share/icons/hicolor/256x256/apps/orbilan.png
  share/metainfo/org.orbilan.Orbilan.metainfo.xml
  share/doc/orbilan/copyright share/doc/orbilan/changelog.gz
  share/lintian/overrides/orbilan
)
[ "$gui" = ON ] && expected+=(bin/orbilan)
for f in "${expected[@]}"; do
  [ -f "$prefix/$f" ] || fail "$f is not installed"
done
# Every file the installation or the package lists is there, inside the prefix.
for f in "${listed[@]}"; do
  case "$f" in "$prefix"/*) ;; *) fail "$f is installed outside /usr" ;; esac
  [ -e "$f" ] || fail "$f is listed but missing"
done
for size in 48 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/orbilan.png
  read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4, $7*256+$8}')
  [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "the ${size}x${size} icon is ${w}x${h}"
done

"$check_run_paths" "$prefix/bin" "$prefix/lib/orbilan" > /dev/null

# Used from another folder, with nothing of the build tree in reach.
work=$root/work
mkdir "$work"
cd "$work"
cli=$prefix/bin/orbilan-cli
version=$("$cli" --version)
[[ "$version" =~ ^orbilan-cli\ [0-9]+\.[0-9]+ ]] || fail "orbilan-cli --version printed '$version'"
"$cli" config > settings 2> messages
grep -qx 'SweepPoints=11' settings || fail "orbilan-cli config printed: $(cat settings)"
grep -qx 'No vna.ini file found - using defaults' messages || fail "orbilan-cli config said: $(cat messages)"

# The printer port: libinpout32.so, the simulator behind it.
"$cli" calibrate --simulate --mode reflection --start 1m --stop 10m --steps 20 -o refl.cal --quiet 2> /dev/null
"$cli" measure --simulate --dut refl:R=100 --mode reflection --cal refl.cal -o dut.s1p --quiet 2> /dev/null
# USB: libbrindle.so, its log kept in a state folder of this test's own.
printf 'usb = yes\n' > vna.ini
XDG_STATE_HOME=$root/state "$cli" measure --simulate --dut refl:R=100 --mode reflection --cal refl.cal \
  -o dut-usb.s1p --quiet
[ -s "$root/state/orbilan/vnalog.txt" ] || fail "brindle kept no log"
for f in dut.s1p dut-usb.s1p; do
  [ "$(tr -d '\r' < "$f" | grep -cv '^[!#]')" -eq 21 ] || fail "$f does not hold 21 points"
  # 100 ohm on 50: the reflection coefficient is 1/3 at every point.
  tr -d '\r' < "$f" | awk '!/^[!#]/ { if ($2 < 0.32 || $2 > 0.35) { print "re " $2 " at " $1; exit 1 } }' ||
    fail "$f does not read 100 ohm"
done

if [ "$gui" = ON ]; then
  QT_QPA_PLATFORM=offscreen "$prefix/bin/orbilan" --help > help || fail "orbilan --help failed"
  grep -q -- '--simulate' help || fail "orbilan --help printed: $(cat help)"
  [[ "$("$prefix/bin/orbilan" --version)" =~ ^orbilan\ [0-9]+\.[0-9]+ ]] || fail "orbilan --version"
fi

# The manual pages render without a warning.
for page in "$prefix"/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 > /dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done

# The desktop entry, the icon and the AppStream data, as a software centre
# reads them, where Debian's validators are installed.
if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$prefix/share/applications/orbilan.desktop" || fail "the desktop entry does not validate"
fi
if command -v appstreamcli > /dev/null; then
  appstreamcli validate-tree --no-net "$prefix" > appstream 2>&1 || fail "AppStream: $(cat appstream)"
fi
echo ok
