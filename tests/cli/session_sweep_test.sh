#!/usr/bin/env bash
# A continuous sweep in a session runs until something stops it: the lines
# that arrive while it runs are read between its points and answered as
# they run (Pause among them), and the end of the input stops it too.
set -euo pipefail
cli=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"

cat > calibrate.in <<'LINES'
start
click SetSweepButton
click ButtonSweepOK
click ModeButton(1)
answer OK
answer OK
answer OK
answer No
click CalibrateButton
LINES

# Lines typed while the sweep runs: read at once, Pause stops it, and the
# click that started it is answered then.
{ cat calibrate.in; echo 'click SweepButton(1)'; sleep 0.5
  echo 'get SweepStatus.Caption'; sleep 0.5
  echo 'click SweepButton(2)'; sleep 0.5
  echo 'get SweepStatus.Caption'; echo quit; } |
  timeout 60 "$cli" session --simulate > out
tail -n 5 out > last
diff <(printf '%s\n' 'ok "Continuous Sweep"' ok ok 'ok "Stopped"' ok) last

# A script that ends while its sweep runs: the sweep stops, the session
# ends, status 0.
{ cat calibrate.in; echo 'click SweepButton(1)'; } > script
timeout 60 "$cli" session --simulate < script > out
test "$(tail -n 1 out)" = ok
{ cat calibrate.in; echo 'click SweepButton(0)'; } | timeout 60 "$cli" session --simulate > out
test "$(tail -n 1 out)" = ok

# quit while it sweeps ends the session at once; what follows is not read
# (nor can it be written: the pipe has closed).
{ trap '' PIPE; cat calibrate.in; echo 'click SweepButton(1)'; sleep 0.5; echo quit; sleep 0.5; echo 'get SweepPoints' 2> /dev/null || true; } |
  timeout 60 "$cli" session --simulate > out
test "$(grep -c 'ok 11' out || true)" -eq 0
echo "session sweep: ok"
