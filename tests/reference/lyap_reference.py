#!/usr/bin/env python3
"""Reference model of jj_lyap, the Lyapunov spectrum program.

Literal Python transcription used to produce the golden transcripts in
tests/golden/lyap/.  The integrators and the scanf-like answer reader are
those of ivnorm_reference.py; this file adds the six-component state (the
junction and two tangent vectors), the Gram-Schmidt step and the program's
dialogue, header and sweeps.  Every expression keeps the documented order of
operations with explicit parentheses, evaluated left to right; time and bias
current advance by repeated addition.

The transient: with C_tr > 0 cycles (N_tr > 0 mesh steps) every bias point
first steps from tau = 0 while tau <= T_tr, orthonormalizing the tangent
vectors after every step without adding to the sums; the accumulation then
restarts tau at T_tr and runs while tau <= T_tr + T_rec.  With N_tr = 0 there
is no transient loop at all and the accumulation runs from tau = 0 while
tau <= T_rec.

Usage:
    python3 lyap_reference.py ANSWERS_FILE OUT_DIR
        Replays the answers and writes OUT_DIR/<stem>.console and
        OUT_DIR/<stem>.dat, with clock readings masked ("hh:mm:ss",
        "mm/dd/yy").  Only answers the program accepts are modelled.

    python3 lyap_reference.py --self-check
        Checks the junction-at-rest example (exponents near -0.4946 and
        -0.5056, sum near -1.00016), the Gram-Schmidt step and the sweep grid.
"""

import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from ivnorm_reference import (  # noqa: E402
    read_junction_and_bias, read_mesh_length, read_two_method_menu, read_rf_cycles,
    transcribe,
    Answers, MultistepHistory, NormalizedParams, adams3_step, c_div, c_float,
    c_sin, multistep_start, rk4_step, span_to_steps, DATE_MASK, TIME_MASK)

TWO_PI = 6.28318530718
METHOD_NAMES = ["Runge-Kutta quarto ordine", "Adams"]


def c_cos(x):
    if math.isinf(x) or math.isnan(x):
        return math.nan
    return math.cos(x)


def c_sqrt(x):
    if math.isnan(x):
        return math.nan
    if x < 0.0:
        return math.nan
    return math.sqrt(x)


def c_log(x):
    if math.isnan(x):
        return math.nan
    if x == 0.0:
        return -math.inf
    if x < 0.0:
        return math.nan
    if math.isinf(x):
        return math.inf
    return math.log(x)


# ---------------------------------------------------------------------------
# Extended state: phi, v, a_phi, a_v, b_phi, b_v
# ---------------------------------------------------------------------------

def make_lyapunov_derivative(p):
    def f(tau, y, k):
        if k == 0:
            return y[1]
        if k == 1:
            s = p.I1 * c_sin(p.Omega1 * tau)
            n = ((s - c_sin(y[0])) - y[1]) + p.I0
            return c_div(n, p.BetaC)
        if k == 2:
            return y[3]
        if k == 3:
            return -c_div((c_cos(y[0]) * y[2]) + y[3], p.BetaC)
        if k == 4:
            return y[5]
        if k == 5:
            return -c_div((c_cos(y[0]) * y[4]) + y[5], p.BetaC)
        raise IndexError(k)
    return f


def orthonormalize_tangents(y, sums):
    """Gram-Schmidt on a = y[2:4], b = y[4:6]; sums = [S_a, S_b]."""
    n_a = c_sqrt((y[2] * y[2]) + (y[3] * y[3]))
    y[2] = c_div(y[2], n_a)
    y[3] = c_div(y[3], n_a)
    d = (y[4] * y[2]) + (y[5] * y[3])
    y[4] = y[4] - (d * y[2])
    y[5] = y[5] - (d * y[3])
    n_b = c_sqrt((y[4] * y[4]) + (y[5] * y[5]))
    y[4] = c_div(y[4], n_b)
    y[5] = c_div(y[5], n_b)
    sums[0] = sums[0] + c_log(n_a)
    sums[1] = sums[1] + c_log(n_b)


def make_stepper(method, f, hist):
    if method == 0:
        return lambda tau, y, h: rk4_step(f, tau, y, h)
    return lambda tau, y, h: adams3_step(f, hist, tau, y, h)


def lyapunov_point(method, f, hist, h, N_tr, T_tr, T_rec, counts=None):
    """One bias point from rest; returns (lambda_a, lambda_b)."""
    stepper = make_stepper(method, f, hist)
    y = [0.0, 0.0, 1.0, 0.0, 0.0, 1.0]
    sums = [0.0, 0.0]
    if method == 1:
        multistep_start(f, hist, 0.0, y, h, 2)
    n_tr = 0
    if N_tr > 0:
        discarded = [0.0, 0.0]
        tau = 0.0
        while tau <= T_tr:
            stepper(tau, y, h)
            orthonormalize_tangents(y, discarded)
            tau = tau + h
            n_tr += 1
    n_rec = 0
    tau = T_tr
    T_end = T_tr + T_rec
    while tau <= T_end:
        stepper(tau, y, h)
        orthonormalize_tangents(y, sums)
        tau = tau + h
        n_rec += 1
    if counts is not None:
        counts["transient"] = n_tr
        counts["accumulation"] = n_rec
    return c_div(sums[0], T_rec), c_div(sums[1], T_rec)


# ---------------------------------------------------------------------------
# The whole run
# ---------------------------------------------------------------------------

def run(answers_text):
    """Replays one jj_lyap run; returns (console text, file text)."""
    ans = Answers(answers_text)
    con = []
    out = []

    con.append("Nome file su cui scrivere spettro di Lyapunov ? ")
    ans.read_s()

    p = NormalizedParams()
    read_junction_and_bias(ans, con, p)

    h = read_mesh_length(ans, con)
    method = read_two_method_menu(ans, con)

    T_rf = c_div(TWO_PI, p.Omega1)
    N_tr, T_tr, N_rec, T_rec = read_rf_cycles(ans, con, "-- Parametri registrazione tensione --\n", T_rf, h)
    if N_rec < 1 or N_tr < 0 or not h > 0.0:
        raise ValueError("spans the program refuses")

    con.append("-- Parametri caratteristica --\n")
    con.append("1 == 1 Ic == 1 corrente critica giunzione Josephson\n")
    con.append("Corrente minima ? ")
    I0min = ans.read_lf()
    con.append("Corrente massima ? ")
    I0max = ans.read_lf()
    con.append("Delta corrente ? ")
    DeltaI0 = ans.read_lf()
    con.append("-- Parametri Sweep di corrente --\n")
    con.append("Numero cicli di sweep ? ")
    sweeps = ans.read_lf()

    out.append("# Data: %s\n" % DATE_MASK)
    out.append("# Spettro di Lyapunov giunzione Josephson\n")
    out.append("# Integrazione numerica via metodo di %s\n" % METHOD_NAMES[method])
    out.append("# BetaC = %s\n" % c_float("%f", p.BetaC))
    out.append("# I1 = %s, Omega1 = %s\n" % (c_float("%f", p.I1),
                                              c_float("%f", p.Omega1)))
    out.append("# Mesh length = %s rad\n" % c_float("%f", h))
    out.append("# Tensione registrata per %s rad (%d mesh steps)\n"
               "# scartato un transiente di %s rad (%d mesh steps)\n"
               % (c_float("%f", T_rec), N_rec, c_float("%f", T_tr), N_tr))
    out.append("# I0 = [%s,%s], DeltaI0 = %s\n"
               % (c_float("%f", I0min), c_float("%f", I0max),
                  c_float("%f", DeltaI0)))
    out.append("# Numero di sweep = %s\n" % c_float("%f", sweeps))
    out.append("#\n# -- Simulazione iniziata...\n")

    f = make_lyapunov_derivative(p)
    hist = MultistepHistory(6)

    shift = c_div(DeltaI0, sweeps)
    s = 0
    while s < sweeps:
        con.append("Ore: %s\n" % TIME_MASK)
        con.append("Sweep numero %d.\n" % (s + 1))
        out.append("#\n# -- Ore %s\n# -- Sweep numero %d\n"
                   "# I0-Lyap(phi)-Lyap(v)-Lyap(phi)+Lyap(v)\n" % (TIME_MASK, s + 1))
        I_end = I0max + float(s) * shift
        p.I0 = I0min + float(s) * shift
        if p.I0 <= I_end and not DeltaI0 > 0.0:
            raise ValueError("DeltaI0 must be positive for the sweep to end")
        while p.I0 <= I_end:
            la, lb = lyapunov_point(method, f, hist, h, N_tr, T_tr, T_rec)
            out.append("%s\t%s\t%s\t%s\n" % (c_float("%.10f", p.I0),
                                             c_float("%.10f", la),
                                             c_float("%.10f", lb),
                                             c_float("%.10f", la + lb)))
            p.I0 = p.I0 + DeltaI0
        s += 1
    return "".join(con), "".join(out)


# ---------------------------------------------------------------------------
# Self-check
# ---------------------------------------------------------------------------

def self_check():
    failures = []

    def check(cond, msg):
        print(("ok    " if cond else "FAIL  ") + msg)
        if not cond:
            failures.append(msg)

    # Junction at rest: BetaC = 1, Omega1 = 1, I1 = 0, I0 = 0, h = 0.01,
    # 10 recorded cycles, Runge-Kutta.
    p = NormalizedParams()
    p.BetaC, p.Omega1, p.I1, p.I0 = 1.0, 1.0, 0.0, 0.0
    f = make_lyapunov_derivative(p)
    h = 0.01
    N_rec = span_to_steps(10.0 * (TWO_PI / 1.0), h)
    counts = {}
    la, lb = lyapunov_point(0, f, MultistepHistory(6), h, 0, 0.0,
                            float(N_rec) * h, counts)
    check(N_rec == 6283 and counts["accumulation"] == 6284,
          "rest: 6284 steps over a span of 6283")
    check(abs(la + 0.4946) < 1e-4 and abs(lb + 0.5056) < 1e-4,
          "rest: exponents %.6f %.6f" % (la, lb))
    check(abs((la + lb) + 1.00016) < 1e-5, "rest: sum %.6f" % (la + lb))

    # Derivative of the tangent components.
    p.BetaC = 2.0
    check(f(0.0, [0.0, 0.0, 1.0, 0.0, 0.0, 0.0], 3) == -0.5, "k=3 at phi=0")
    check(abs(f(0.0, [math.pi, 0.0, 1.0, 0.0, 0.0, 0.0], 3) - 0.5) < 1e-15,
          "k=3 at phi=pi")

    # Gram-Schmidt.
    y = [0.3, 0.1, 3.0, 4.0, 1.0, 1.0]
    sums = [0.0, 0.0]
    orthonormalize_tangents(y, sums)
    check(abs(math.hypot(y[2], y[3]) - 1) < 1e-15
          and abs(math.hypot(y[4], y[5]) - 1) < 1e-15
          and abs(y[2] * y[4] + y[3] * y[5]) < 1e-15
          and y[:2] == [0.3, 0.1] and sums[0] == math.log(5.0),
          "orthonormalized, sums += log of stretch")

    # The grid of three interleaved sweeps: 0..1 by 0.3.
    console, data = run("x 2 1 0 0.5 0 0 1 0 1 0.3 3")
    got = [l.split("\t")[0] for l in data.splitlines() if not l.startswith("#")]
    want = ["%.10f" % x for x in (0, .3, .6, .9, .1, .4, .7, 1.0, .2, .5, .8, 1.1)]
    check(got == want, "three interleaved sweeps give the I0 grid")
    check("# Numero di sweep = 3.000000\n" in data, "sweeps written as 3.000000")

    print("self-check %s" % ("FAILED" if failures else "passed"))
    return 1 if failures else 0


def main(argv):
    return transcribe(argv, run, self_check, __doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
