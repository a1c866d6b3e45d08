#!/usr/bin/env bash
# The window's Save Data as Touchstone, read by scikit-rf: a one-port and a
# two-port file written through the session (as a user saves them), with
# the values other RF tools must find in them. Skipped (77) where no Python
# has scikit-rf; scripts/install-deps installs it.
set -euo pipefail
cli=$1
py=""
for candidate in /usr/bin/python3 python3; do
  if "$candidate" -c 'import skrf' > /dev/null 2>&1; then py=$candidate; break; fi
done
[ -n "$py" ] || { echo "no Python with scikit-rf"; exit 77; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"

save() { # mode device file
  cat <<SESSION
click SetSweepButton
click Start_End
type F1text "1m"
type F2text "21m"
click StepsButton
type NumberOfSteps "40"
click ButtonSweepOK
click ModeButton($1)
answer OK
answer OK
answer OK
answer No
click CalibrateButton
sim "$2"
click SweepButton(3)
answer text "lot 7"
answer file "$dir/$3"
click SaveDataButton
SESSION
}
{ echo start; save 1 refl:R=100 dut.s1p; save 0 trans:series:R=100 pad.s2p; echo quit; } \
  | "$cli" session --simulate > session.out 2>&1
if grep -q '^error' session.out; then cat session.out; exit 1; fi

MPLBACKEND=Agg "$py" - <<'PYTHON' 2>&1 | grep -v matplotlib
import numpy as np, skrf
one = skrf.Network("dut.s1p")
assert one.nports == 1 and len(one.f) == 41, one
assert np.allclose(one.f[[0, -1]], [1e6, 21e6])
assert np.allclose(one.z0, 50)
assert np.allclose(one.s[:, 0, 0], 1 / 3, atol=3e-3), one.s[:3, 0, 0]
assert "lot 7" in one.comments
two = skrf.Network("pad.s2p")
assert two.nports == 2 and len(two.f) == 41, two
assert np.allclose(two.s[:, 1, 0], 0.5, atol=3e-3), two.s[:3, 1, 0]
assert np.all(two.s[:, 0, 0] == 0) and np.all(two.s[:, 0, 1] == 0) and np.all(two.s[:, 1, 1] == 0)
print("ok")
PYTHON
