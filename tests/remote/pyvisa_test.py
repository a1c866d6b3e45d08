#!/usr/bin/env python3
"""orbilan-cli serve driven by a real SCPI client: pyvisa with its pure-Python
back end, over TCPIP0::127.0.0.1::<port>::SOCKET, as lab software drives it.
Runs the README's Python example as written (only the port differs), then
checks what a client relies on: ASCII values, errors, *OPC?, a file.

usage: pyvisa_test.py ORBILAN_CLI README.md
"""
import os
import re
import subprocess
import sys
import tempfile

import pyvisa

FAILURES = []


def check(condition, what):
    if not condition:
        FAILURES.append(what)
        print("FAILED:", what)


def start_server(cli, folder):
    server = subprocess.Popen(
        [cli, "serve", "--simulate", "--dut", "refl:R=100", "--seed", "3", "--port", "0", "--data-dir", folder,
         "--quiet"],
        cwd=folder, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    line = server.stdout.readline().strip()
    match = re.fullmatch(r"listening on 127\.0\.0\.1:(\d+)", line)
    if not match:
        server.kill()
        sys.exit("the server did not start: %r %s" % (line, server.stderr.read()))
    return server, int(match.group(1))


def readme_example(readme):
    text = open(readme, encoding="utf-8").read()
    section = text[text.index("## Remote control"):]
    return re.search(r"```python\n(.*?)```", section, re.S).group(1)


def main():
    cli, readme = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as folder:
        server, port = start_server(cli, folder)
        try:
            # The README's example, as a user would run it.
            example = readme_example(readme).replace("::5025::", "::%d::" % port)
            run = subprocess.run([sys.executable, "-c", example], cwd=folder, capture_output=True, text=True,
                                 timeout=120)
            print(run.stdout, run.stderr)
            check(run.returncode == 0, "the README example ran")
            check("Orbilan,Kesp VNA,0," in run.stdout, "the example read *IDN?")
            check("calibration: CAL" in run.stdout, "the example calibrated reflection")
            magnitudes = [float(m) for m in re.findall(r"\|S11\| = ([0-9.]+)", run.stdout)]
            check(len(magnitudes) >= 3 and all(abs(m - 1 / 3) < 0.01 for m in magnitudes),
                  "the example read |S11| = 1/3 for 100 ohm: %r" % magnitudes)
            check('0,"No error"' in run.stdout, "the example ended without errors")
            check(os.path.exists(os.path.join(folder, "dut.s1p")), "the example wrote dut.s1p")

            rm = pyvisa.ResourceManager("@py")
            vna = rm.open_resource("TCPIP0::127.0.0.1::%d::SOCKET" % port, read_termination="\n",
                                   write_termination="\n", timeout=20000)
            # The calibration made by the example's session is still there.
            check(vna.query("SENS:MODE?;:CAL:STAT?") == "REFL;CAL", "a new session finds the calibration")
            vna.write("SENS:SWE:POIN 11;:INIT")
            check(vna.query("*OPC?") == "1", "*OPC? after INIT")
            freqs = vna.query_ascii_values("SENS:FREQ:DATA?")
            check(len(freqs) == 11 and freqs[0] == 1e6 and freqs[-1] == 30e6, "frequencies: %r" % freqs)
            pairs = vna.query_ascii_values("CALC:DATA? SDAT")
            check(len(pairs) == 22, "22 numbers for 11 points")
            check(all(abs(x - 1 / 3) < 0.01 for x in pairs[0::2]), "S11 real parts")
            vna.write("SENS:FREQ:STAR 100 MHz")
            check(vna.query("SYST:ERR?") == '-222,"Data out of range;start frequency is 0 to 60000000 Hz"',
                  "an out-of-range start is refused")
            check(vna.query("SYST:ERR?") == '0,"No error"', "the queue is empty again")
            vna.write("MMEM:STOR:SNP '../escape'")
            check(vna.query("SYST:ERR?").startswith("-200,"), "a file out of the data folder is refused")
            vna.close()
            rm.close()
        finally:
            server.terminate()
            try:
                server.communicate(timeout=20)
            except subprocess.TimeoutExpired:
                server.kill()
                FAILURES.append("the server did not end on SIGTERM")
        check(server.returncode == 0, "the server ended cleanly (%s)" % server.returncode)
    print("%d failed" % len(FAILURES))
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
