#!/usr/bin/env python3
"""Reference model of jj_strobe, the stroboscopic trajectory program.

Literal Python transcription used to produce the golden transcripts in
tests/golden/strobe/.  The integrators, the normalized equations and the
scanf-like reader come from ivnorm_reference.py; this file adds the dialogue,
the header and the time loops of the stroboscopic trajectory, written step by
step as the program's description gives them: tau advances by repeated
addition, the recording restarts tau at T_tr, a line is written after every
recording step whose counter is a multiple of M.

Usage:
    python3 strobe_reference.py ANSWERS_FILE OUT_DIR
        Replays the answers of ANSWERS_FILE and writes OUT_DIR/<stem>.console
        and OUT_DIR/<stem>.dat, <stem> being the answers file name without
        ".in".  Clock readings are masked ("hh:mm:ss", "mm/dd/yy").  Start
        choice 0 draws from the generator seeded with the calendar second
        FIXED_CLOCK, at which the tests stop the program's clock.

    python3 strobe_reference.py --self-check
        Checks the sampling rule against the cases worked out by hand.
"""

import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from ivnorm_reference import (  # noqa: E402
    read_junction_and_bias, read_mesh_length, read_two_method_menu, read_rf_cycles,
    transcribe, with_stopped_clock,
    DATE_MASK, Answers, MultistepHistory, NormalizedParams, adams3_step,
    c_div, c_float, make_normalized_derivative, multistep_start, rk4_step,
    span_to_steps)

TWO_PI = 6.28318530718
METHOD_NAMES = ["Runge-Kutta quarto ordine", "Adams"]


def f10(x):
    return c_float("%.10f", x)


def f6(x):
    return c_float("%f", x)


def record(f, hist, method, y, h, T_tr, T_rec, M, line):
    """Start-up, transient and recording; line(tau, y) for every sample.

    Returns the number of transient and recording steps."""
    def stepper(tau):
        if method == 0:
            rk4_step(f, tau, y, h)
        else:
            adams3_step(f, hist, tau, y, h)

    if method == 1:
        multistep_start(f, hist, 0.0, y, h, 2)
    transient = 0
    tau = 0.0
    while tau <= T_tr:
        stepper(tau)
        tau = tau + h
        transient += 1
    tau = T_tr
    T_end = T_tr + T_rec
    n = 0
    while tau <= T_end:
        stepper(tau)
        if n % M == 0:
            line(tau, y)
        tau = tau + h
        n = n + 1
    return transient, n


def run(answers_text, random_draw=None):
    """Replays one jj_strobe run; returns (console text, file text).
    random_draw() gives the random start (phase, value)."""
    ans = Answers(answers_text)
    con = []
    out = []

    con.append("Nome file su cui scrivere traiettoria phi e v ? ")
    ans.read_s()

    p = NormalizedParams()
    read_junction_and_bias(ans, con, p)
    con.append("I0 ? ")
    p.I0 = ans.read_lf()

    h = read_mesh_length(ans, con)
    method = read_two_method_menu(ans, con)

    T_rf = c_div(TWO_PI, p.Omega1)
    N_tr, T_tr, N_rec, T_rec = read_rf_cycles(ans, con, "-- Parametri registrazione traiettoria --\n", T_rf, h)

    out.append("# Data: %s\n" % DATE_MASK)
    out.append("# Traiettoria phi(tau)-V(tau) per tau=k*2*Pi/Omega1 giunzione "
               "Josephson polarizzata con corrente i0+i1*sin(Omega1*tau)\n")
    out.append("# Integrazione numerica via metodo di %s\n" % METHOD_NAMES[method])
    out.append("# BetaC = %s\n" % f6(p.BetaC))
    out.append("# I0 = %s, I1 = %s, Omega1 = %s\n" % (f6(p.I0), f6(p.I1), f6(p.Omega1)))
    out.append("# Mesh length = %s rad\n" % f6(h))
    out.append("# Traiettoria registrata per %s rad (%d mesh steps)\n"
               "# scartato un transiente di %s rad (%d mesh steps)\n"
               % (f6(T_rec), N_rec, f6(T_tr), N_tr))
    out.append("# Tau\t phi(Tau)\t v(Tau)\t phi(Tau) mod 2Pi\n")
    M = span_to_steps(T_rf, h)
    if M < 1 or not h > 0.0:
        raise ValueError("the sampling rule needs M >= 1 and h > 0")

    con.append("Valori iniziali (0 == Random, 1 == Immettere, 2 == [0,0])?\n")
    choice = ans.read_d()
    if choice == 1:
        con.append("Fase iniziale ? ")
        phi_0 = ans.read_lf()
        con.append("Tensione iniziale ? ")
        v_0 = ans.read_lf()
    elif choice == 2:
        phi_0 = 0.0
        v_0 = 0.0
    elif choice == 0:
        # the generator is seeded here, then draws the phase first
        phi_0, v_0 = random_draw()
    else:
        raise ValueError("start choice %d outside 0..2" % choice)
    con.append("Phi(0) == %s, V(0) == %s\n" % (f6(phi_0), f6(v_0)))
    y = [phi_0, v_0]

    def line(tau, state):
        out.append("%s\t%s\t%s\t%s\n" % (f10(tau), f10(state[0]), f10(state[1]),
                                         f10(math.fmod(state[0], TWO_PI))))

    f = make_normalized_derivative(p)
    record(f, MultistepHistory(2), method, y, h, T_tr, T_rec, M, line)
    return "".join(con), "".join(out)


def self_check():
    failures = []

    def check(cond, msg):
        print(("ok    " if cond else "FAIL  ") + msg)
        if not cond:
            failures.append(msg)

    # Omega1 = 1, h = 0.01, 10 + 10 cycles: 6283 steps each, M = 628, 11 lines
    # from tau 62.83 to 125.63.
    console, data = run("x 1 1 0 0.5 0.01 0 10 10 2")
    rows = [l.split("\t") for l in data.splitlines() if not l.startswith("#")]
    check("= 6.283185 rad\n" in console, "rf-cycle echo 6.283185")
    check("Registro su 62.830000 rad (6283 mesh steps) dopo transiente di "
          "62.830000 rad (6283 mesh steps)\n" in console, "span echo")
    check(len(rows) == 11 and rows[0][0] == "62.8300000000"
          and rows[-1][0] == "125.6300000000", "11 lines from 62.83 to 125.63")

    # Omega1 = 0.5, h = 0.1: M = 126, lines 12.6 rad apart.
    check(span_to_steps(c_div(TWO_PI, 0.5), 0.1) == 126, "M = 126 for Omega1 0.5, h 0.1")
    console, data = run("x 1 0.5 0 0.5 0.1 0 0 2 2")
    taus = [float(l.split("\t")[0]) for l in data.splitlines() if not l.startswith("#")]
    check(len(taus) == 2 and abs(taus[1] - taus[0] - 12.6) < 1e-9,
          "consecutive lines 12.6 rad apart")

    # No transient: the first line has tau 0 and the state after two steps,
    # both taken from tau = 0 (the recording restarts tau at T_tr = 0).
    p = NormalizedParams()
    p.BetaC, p.I0, p.I1, p.Omega1 = 1.0, 0.5, 0.3, 1.0
    f = make_normalized_derivative(p)
    y = [0.0, 0.0]
    rk4_step(f, 0.0, y, 0.01)
    rk4_step(f, 0.0, y, 0.01)
    console, data = run("x 1 1 0.3 0.5 0.01 0 0 1 2")
    first = [l for l in data.splitlines() if not l.startswith("#")][0].split("\t")
    check(first[0] == "0.0000000000" and first[1] == f10(y[0]) and first[2] == f10(y[1]),
          "no transient: first line after two steps, tau 0")

    # Zero recorded cycles: exactly one line.
    console, data = run("x 1 1 0 0.5 0.01 0 3 0 2")
    check(len([l for l in data.splitlines() if not l.startswith("#")]) == 1,
          "zero recorded cycles: one line")

    # The last column keeps the sign of phi.
    check(f10(math.fmod(-1.0, TWO_PI)) == "-1.0000000000"
          and f10(math.fmod(7.0, TWO_PI)) == "0.7168146928", "phi mod 2 pi")

    print("self-check %s" % ("FAILED" if failures else "passed"))
    return 1 if failures else 0


def main(argv):
    return transcribe(argv, with_stopped_clock(run), self_check, __doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
