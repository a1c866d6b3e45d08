#!/usr/bin/env python3
"""Writes the Touchstone files of the accuracy tests: an antenna, a low-pass
filter and an attenuator, each from a circuit model. Run it in this folder;
the files are kept in the repository, so the tests need no Python."""
import cmath
import math

C = 299792458.0


def dipole(f):
    """A 40 m half-wave dipole, its legs a lossy open-ended 600-ohm line
    resonant near 7 MHz (radiation and wire loss growing with frequency),
    fed through 4 m of 50-ohm coax with velocity factor 0.66."""
    zc, length = 600.0, C / 7.1e6 / 4 * 0.975
    alpha = 0.0097 * math.sqrt(f / 7.1e6)
    gl = complex(alpha, 2 * math.pi * f / C) * length
    z = zc / cmath.tanh(gl)
    z0, feed, vf = 50.0, 4.0, 0.66
    t = cmath.tanh(complex(0.002 * math.sqrt(f / 10e6), 2 * math.pi * f / (C * vf)) * feed)
    return z0 * (z + z0 * t) / (z0 + z * t)


def lowpass(f):
    """5-pole Chebyshev, 0.1 dB ripple, 20 MHz cut-off, C-L-C-L-C in 50 ohm,
    inductors with Q 80 and capacitors with Q 500: S11, S21, S12, S22."""
    g = [1.1468, 1.3712, 1.9750, 1.3712, 1.1468]
    r, wc, w = 50.0, 2 * math.pi * 20e6, 2 * math.pi * f
    a, b, c, d = 1, 0, 0, 1
    for i, gi in enumerate(g):
        if i % 2 == 0:
            cap = gi / (wc * r)
            y = complex(w * cap / 500, w * cap)
            a, b, c, d = a + b * y, b, c + d * y, d
        else:
            ind = gi * r / wc
            z = complex(w * ind / 80, w * ind)
            a, b, c, d = a, a * z + b, c, c * z + d
    den = a + b / r + c * r + d
    return ((a + b / r - c * r - d) / den, 2 / den, 2 * (a * d - b * c) / den, (-a + b / r - c * r + d) / den)


def attenuator(f):
    """20 dB, well matched, 25 mm of internal line (velocity factor 0.7)."""
    ph = -2 * math.pi * f * 0.025 / (C * 0.7)
    s21 = 0.1 * cmath.exp(1j * ph)
    s11 = 0.01 * cmath.exp(1j * (2 * ph + 1))
    return s11, s21, s21, s11


with open("dipole_40m.s1p", "w") as out:
    out.write("! " + dipole.__doc__.replace("\n    ", "\n! ") + "\n# MHZ S MA R 50\n")
    for k in range(2, 241):
        f = k * 0.25
        g = (dipole(f * 1e6) - 50) / (dipole(f * 1e6) + 50)
        out.write("%.2f %.6f %.4f\n" % (f, abs(g), math.degrees(cmath.phase(g))))

with open("lowpass_20mhz.s2p", "w") as out:
    out.write("! " + lowpass.__doc__.replace("\n    ", "\n! ") + "\n# HZ S DB R 50\n")
    for k in range(1, 241):
        f = k * 250000
        row = [str(f)] + ["%.5f %.4f" % (20 * math.log10(abs(s)), math.degrees(cmath.phase(s))) for s in lowpass(f)]
        out.write(" ".join(row) + "\n")

with open("attenuator_20db.s2p", "w") as out:
    out.write("! " + attenuator.__doc__.replace("\n    ", "\n! ") + "\n# MHZ S RI R 50\n")
    for f in [0.05, 1, 5, 10, 20, 30, 40, 50, 60]:
        out.write("%g %s\n" % (f, " ".join("%.6f %.6f" % (s.real, s.imag) for s in attenuator(f * 1e6))))
