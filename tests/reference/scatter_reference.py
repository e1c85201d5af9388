#!/usr/bin/env python3
"""Reference model of jj_scatter, the stroboscopic voltage scatter program.

Literal Python transcription used to produce the golden transcripts in
tests/golden/scatter/.  The integrators, the normalized equations and the
scanf-like reader come from ivnorm_reference.py; this file adds the dialogue,
the header, the interleaved upward sweeps and the computation of one current
point, written step by step as the program's description gives them: every
point starts from rest with a fresh multistep history, tau and I0 advance by
repeated addition, a line (I0, v) is written after every recording step whose
counter is a multiple of M.

Usage:
    python3 scatter_reference.py ANSWERS_FILE OUT_DIR
        Replays the answers of ANSWERS_FILE and writes OUT_DIR/<stem>.console
        and OUT_DIR/<stem>.dat, <stem> being the answers file name without
        ".in".  Clock readings are masked ("hh:mm:ss", "mm/dd/yy").

    python3 scatter_reference.py --self-check
        Checks the sampling of one point against the cases worked out by hand.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from ivnorm_reference import (  # noqa: E402
    read_junction_and_bias, read_mesh_length, read_two_method_menu, read_rf_cycles,
    transcribe,
    DATE_MASK, TIME_MASK, Answers, MultistepHistory, NormalizedParams,
    adams3_step, c_div, c_float, make_normalized_derivative, multistep_start,
    rk4_step, span_to_steps)

TWO_PI = 6.28318530718
METHOD_NAMES = ["Runge-Kutta quarto ordine", "Adams"]


def f10(x):
    return c_float("%.10f", x)


def f6(x):
    return c_float("%f", x)


def current_point(f, hist, method, h, T_tr, T_rec, M, sample, trace=None):
    """One current point from rest; sample(v) for every recorded voltage.

    trace, when a list, receives (phase, tau) for every step taken."""
    def stepper(tau, y):
        if method == 0:
            rk4_step(f, tau, y, h)
        else:
            adams3_step(f, hist, tau, y, h)

    n = 0
    y = [0.0, 0.0]
    if method == 1:
        multistep_start(f, hist, 0.0, y, h, 2)
    tau = 0.0
    while tau <= T_tr:
        stepper(tau, y)
        if trace is not None:
            trace.append(("transient", tau))
        tau = tau + h
    tau = T_tr
    T_end = T_tr + T_rec
    while tau <= T_end:
        stepper(tau, y)
        if trace is not None:
            trace.append(("recording", tau))
        if n % M == 0:
            sample(y[1])
        tau = tau + h
        n = n + 1


def run(answers_text):
    """Replays one jj_scatter run; returns (console text, file text)."""
    ans = Answers(answers_text)
    con = []
    out = []

    con.append("Nome file su cui scrivere caratteristica <I> vs V_scatter ? ")
    ans.read_s()

    p = NormalizedParams()
    read_junction_and_bias(ans, con, p)

    h = read_mesh_length(ans, con)
    method = read_two_method_menu(ans, con)
    T_rf = c_div(TWO_PI, p.Omega1)

    N_tr, T_tr, N_rec, T_rec = read_rf_cycles(ans, con, "-- Parametri registrazione tensione --\n", T_rf, h)

    con.append("-- Parametri caratteristica --\n")
    con.append("1 == 1 Ic == 1 corrente critica giunzione Josephson\n")
    con.append("Corrente minima ? ")
    I_min = ans.read_lf()
    con.append("Corrente massima ? ")
    I_max = ans.read_lf()
    con.append("Delta corrente ? ")
    DeltaI0 = ans.read_lf()
    con.append("-- Parametri Sweep di corrente --\n")
    con.append("Numero cicli di sweep ? ")
    n_sweeps = ans.read_lf()

    out.append("# Data: %s\n" % DATE_MASK)
    out.append("# Caratteristica I-V(k*2Pi/Omega1) giunzione Josephson\n")
    out.append("# Integrazione numerica via metodo di %s\n" % METHOD_NAMES[method])
    out.append("# BetaC = %s\n" % f6(p.BetaC))
    out.append("# I1 = %s, Omega1 = %s\n" % (f6(p.I1), f6(p.Omega1)))
    out.append("# Mesh length = %s rad\n" % f6(h))
    out.append("# Tensione registrata per %s rad (%d mesh steps)\n"
               "# scartato un transiente di %s rad (%d mesh steps)\n"
               % (f6(T_rec), N_rec, f6(T_tr), N_tr))
    out.append("# I0 = [%s,%s], DeltaI0 = %s\n" % (f6(I_min), f6(I_max), f6(DeltaI0)))
    out.append("# Numero di sweep = %s\n" % f6(n_sweeps))
    out.append("#\n# -- Simulazione iniziata...\n")

    D = c_div(DeltaI0, n_sweeps)
    M = span_to_steps(T_rf, h)
    if M < 1 or not h > 0.0:
        raise ValueError("the sampling rule needs M >= 1 and h > 0")

    f = make_normalized_derivative(p)
    hist = MultistepHistory(2)
    k = 0
    while k < n_sweeps:
        con.append("Ore: %s\n" % TIME_MASK)
        con.append("Sweep numero %d.\n" % (k + 1))
        out.append("#\n# -- Ore %s\n# -- Sweep numero %d\n# I0-V\n" % (TIME_MASK, k + 1))
        I_end = I_max + float(k) * D
        p.I0 = I_min + float(k) * D
        if p.I0 <= I_end and not DeltaI0 > 0.0:
            raise ValueError("DeltaI0 must be positive for the sweep to end")
        while p.I0 <= I_end:
            current_point(f, hist, method, h, T_tr, T_rec, M,
                          lambda v: out.append("%s\t%s\n" % (f10(p.I0), f10(v))))
            p.I0 = p.I0 + DeltaI0
        k += 1
    return "".join(con), "".join(out)


def self_check():
    failures = []

    def check(cond, msg):
        print(("ok    " if cond else "FAIL  ") + msg)
        if not cond:
            failures.append(msg)

    # Omega1 = 3.14159265359, h = 0.25, 2 + 3 cycles: T_rf = 2, N_tr = 16,
    # N_rec = 24, M = 8; 17 transient and 25 recording steps, 4 samples after
    # the steps that began at tau = 4, 6, 8, 10.
    Omega1, h = 3.14159265359, 0.25
    T_rf = c_div(TWO_PI, Omega1)
    N_tr = span_to_steps(2.0 * T_rf, h)
    N_rec = span_to_steps(3.0 * T_rf, h)
    M = span_to_steps(T_rf, h)
    check("%f" % T_rf == "2.000000" and (N_tr, N_rec, M) == (16, 24, 8),
          "T_rf 2, N_tr 16, N_rec 24, M 8")
    p = NormalizedParams()
    p.BetaC, p.I0, p.I1, p.Omega1 = 1.0, 0.5, 0.5, Omega1
    f = make_normalized_derivative(p)
    for method in (0, 1):
        trace = []
        samples = []
        current_point(f, MultistepHistory(2), method, h, N_tr * h, N_rec * h, M,
                      samples.append, trace)
        recording = [tau for (phase, tau) in trace if phase == "recording"]
        check(len(trace) - len(recording) == 17 and len(recording) == 25
              and len(samples) == 4
              and [recording[i] for i in (0, 8, 16, 24)] == [4.0, 6.0, 8.0, 10.0],
              "method %d: 17 + 25 steps, samples after the steps from tau 4, 6, 8, 10"
              % method)

    # Omega1 = 1, h = 0.01, 10 + 10 cycles: 6283 steps each, 11 lines per point.
    console, data = run("x 1 1 0 0.01 0 10 10 0.5 0.5 0.1 1")
    rows = [l for l in data.splitlines() if not l.startswith("#")]
    check("Registro su 62.830000 rad (6283 mesh steps) dopo transiente di "
          "62.830000 rad (6283 mesh steps)\n" in console and len(rows) == 11,
          "Omega1 1, h 0.01: 6283-step spans, 11 lines")

    # Zero sweeps: header only; 2.5 sweeps run three.
    console, data = run("x 1 1 0 0.5 0 1 1 0 1 0.5 0")
    check(data.endswith("# Numero di sweep = 0.000000\n#\n# -- Simulazione iniziata...\n"),
          "zero sweeps: header only")
    console, data = run("x 1 1 0 0.5 0 1 1 0 1 0.5 2.5")
    check(console.count("Sweep numero") == 3 and "# Numero di sweep = 2.500000\n" in data,
          "2.5 sweeps run three")

    print("self-check %s" % ("FAILED" if failures else "passed"))
    return 1 if failures else 0


def main(argv):
    return transcribe(argv, run, self_check, __doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
