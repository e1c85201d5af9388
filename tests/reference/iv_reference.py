#!/usr/bin/env python3
"""Reference model of jj_iv, the physical-unit IV program.

Literal Python transcription used to produce the golden transcripts in
tests/golden/iv/.  The integrators come from ivnorm_reference.py, the
physical junction and the shared dialogue blocks from trace_reference.py;
this file adds the program's dialogue, header, sweeps and the measurement of
one point.  Bias currents and time advance by repeated addition.

Usage:
    python3 iv_reference.py ANSWERS_FILE OUT_DIR
        Replays the answers and writes OUT_DIR/<stem>.console and
        OUT_DIR/<stem>.dat, with clock readings masked.  Only answers the
        program accepts are modelled.  The random start (0) draws from the
        generator seeded with the calendar second FIXED_CLOCK, at which the
        tests stop the program's clock.

    python3 iv_reference.py --self-check
        Checks the interleaved grid of random sweeps and the ping-pong grid.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from ivnorm_reference import (  # noqa: E402
    transcribe, with_stopped_clock,
    Answers, MultistepHistory, METHOD_NAMES, make_stepper, multistep_start,
    span_to_steps, DATE_MASK, TIME_MASK)
from trace_reference import (  # noqa: E402
    InstantCurrents, PhysicalParams, ask_bias_parameters,
    ask_junction_parameters, ask_mesh_and_method, ask_output_scales, cdiv, lf,
    lf10, make_iv_derivative, write_model_header)

START_NAMES = ["Random", "Continuo da zero"]
SWEEP_NAMES = ["Solo salita", "Salita e discesa"]


def measure(stepper, y, h, T_tr_eff, T_avg_eff):
    """Transient, then the window; returns the sum of the window's voltages."""
    T_end = T_tr_eff + T_avg_eff
    total = 0.0
    tau = 0.0
    if not T_tr_eff < 0.0:
        while True:
            stepper(tau, y, h)
            tau = tau + h
            if not tau <= T_tr_eff:
                break
    tau = T_tr_eff
    if T_tr_eff <= T_end:
        while True:
            stepper(tau, y, h)
            total = total + y[1]
            tau = tau + h
            if not tau <= T_end:
                break
    return total


def run(answers_text, random_draw=None):
    """Replays one jj_iv run; returns (console text, file text).

    random_draw, when given, replaces random_initial_state (phase, value) so
    that the random start can be checked for its grid alone."""
    ans = Answers(answers_text)
    con = []
    out = []

    con.append("Nome file su cui scrivere caratteristica <I> vs <V> ? ")
    ans.read_s()

    p = PhysicalParams()
    ask_junction_parameters(ans, con, p)
    ask_bias_parameters(ans, con, p, dc_current=False)
    h, method = ask_mesh_and_method(ans, con)

    con.append("-- Parametri media della tensione --\n")
    con.append("1 == 1 /(pulsazione di plasma) \n")
    con.append("Tempo su cui mediare (rad) ? ")
    T_avg = ans.read_lf()
    con.append("Tempo da scartare come transiente (rad) ? ")
    T_tr = ans.read_lf()
    N_avg = span_to_steps(T_avg, h)
    T_avg_eff = float(N_avg) * h
    N_tr = span_to_steps(T_tr, h)
    T_tr_eff = float(N_tr) * h
    if N_avg < 1:
        raise ValueError("an averaging window of no mesh step is refused")
    con.append("Media su %s rad (%d mesh steps) dopo transiente di %s rad "
               "(%d mesh steps)\n" % (lf(T_avg_eff), N_avg, lf(T_tr_eff), N_tr))

    con.append("-- Parametri caratteristica --\n")
    con.append("1 == 1 mA\n")
    con.append("Corrente minima ? ")
    I_min = ans.read_lf() / p.I_c
    con.append("Corrente massima ? ")
    I_max = ans.read_lf() / p.I_c
    con.append("Delta corrente ? ")
    DeltaI0 = ans.read_lf() / p.I_c

    con.append("-- Condizioni iniziali --\n")
    con.append("0 = Random, 1 = Continuo da zero\n")
    start_mode = ans.read_d()
    sweep_mode = 0
    if start_mode == 0:
        if random_draw is None:
            raise ValueError("the random start is seeded from the clock")
        con.append("-- Parametri Sweep di corrente --\n")
        con.append("Numero cicli di sweep ? ")
        n_sweeps = ans.read_lf()
    elif start_mode == 1:
        con.append("Modalita' sweep\n")
        con.append("0 = Solo salita, 1 = Salita e discesa\n")
        sweep_mode = ans.read_d()
        if sweep_mode not in (0, 1):
            raise ValueError("sweep mode outside 0..1 is refused")
        n_sweeps = 1.0
    else:
        raise ValueError("start mode outside 0..1 is refused")

    sc = ask_output_scales(ans, con, p, time_question=False)

    out.append("# Data: %s\n" % DATE_MASK)
    out.append("# Caratteristica IV giunzione Josephson\n")
    out.append("# Integrazione numerica via metodo di %s\n" % METHOD_NAMES[method])
    out.append("# Mesh length = %s rad\n" % lf(h))
    write_model_header(out, p)
    out.append("# Normalizzazione: V_norm = %s, I_norm = I_c = %s\n"
               % (lf(sc.V_norm), lf(sc.I_norm)))
    if p.rf_on == 1:
        out.append("# RF I1 = %s, Omega1 = %s\n" % (lf(p.I1), lf(p.Omega1)))
    out.append("# Tensione mediata su %s rad (%d mesh steps)\n"
               "# scartato un transiente di %s rad (%d mesh steps)\n"
               % (lf(T_avg_eff), N_avg, lf(T_tr_eff), N_tr))
    out.append("# I0 = [%s,%s], DeltaI0 = %s\n" % (lf(I_min), lf(I_max), lf(DeltaI0)))
    out.append("# Cnd iniziali = %s\n" % START_NAMES[start_mode])
    out.append("# Numero di sweep = %d\n" % int(n_sweeps))
    out.append("# Modalita' sweep = %s\n" % SWEEP_NAMES[sweep_mode])
    # (the generator is seeded here)
    out.append("#\n# -- Simulazione iniziata...\n")

    cur = InstantCurrents()
    f = make_iv_derivative(p, cur)
    hist = MultistepHistory(2)
    stepper = make_stepper(method, f, hist)

    def line(mean):
        return "%s\t%s\n" % (lf10(p.I0 * sc.I_norm), lf10(mean * sc.V_norm))

    shift = cdiv(DeltaI0, n_sweeps)
    k = 0
    if 0 < n_sweeps:
        while True:
            con.append("Ore: %s\n" % TIME_MASK)
            con.append("Sweep numero %d.\n" % (k + 1))
            out.append("#\n# -- Ore %s\n# -- Sweep numero %d\n# I-<V>\n" % (TIME_MASK, k + 1))
            offset = float(k) * shift
            I_start = I_min + offset
            I_end = offset + I_max
            y = [0.0, 0.0]
            if method != 0:
                multistep_start(f, hist, 0.0, y, h)
            p.I0 = I_start
            if not I_end < I_start:
                if not DeltaI0 > 0.0:
                    raise ValueError("a current step that is not positive is refused")
                while True:
                    if start_mode == 0:
                        y[0], y[1] = random_draw()
                        if method != 0:
                            multistep_start(f, hist, 0.0, y, h)
                    total = measure(stepper, y, h, T_tr_eff, T_avg_eff)
                    out.append(line(total / float(N_avg)))
                    p.I0 = DeltaI0 + p.I0
                    if not p.I0 <= I_end:
                        break
            if sweep_mode == 1:
                p.I0 = I_end
                if not I_end < I_start:
                    while True:
                        if method == 1:
                            multistep_start(f, hist, 0.0, y, h)
                        total = measure(stepper, y, h, T_tr_eff, T_avg_eff)
                        out.append(line((total / T_avg_eff) * h))
                        p.I0 = p.I0 - DeltaI0
                        if p.I0 < I_start:
                            break
            k = k + 1
            if not float(k) < n_sweeps:
                break

    con.append("Finito! Ore: %s\n" % TIME_MASK)
    return "".join(con), "".join(out)


def self_check():
    failures = []

    def check(cond, msg):
        print(("ok    " if cond else "FAIL  ") + msg)
        if not cond:
            failures.append(msg)

    # Random mode, three sweeps over 0..1 mA with Ic = 1 mA and step 0.3 mA.
    text = "iv.dat 1 1 0 10 0 0.5 0 1 0.5 0 1 0.3 0 3 1 1"
    _, data = run(text, random_draw=lambda: (0.0, 0.0))
    got = [l.split("\t")[0] for l in data.splitlines() if not l.startswith("#")]
    want = [lf10(x) for x in (0, .3, .6, .9, .1, .4, .7, 1.0, .2, .5, .8, 1.1)]
    check(got == want, "three interleaved random sweeps: %s" % got)

    # Continuous up and down over 0..1 with step 0.25: the turn is written twice.
    text = "iv.dat 1 1 0 10 0 0.5 0 1 0.5 0 1 0.25 1 1 1 1"
    _, data = run(text)
    got = [l.split("\t")[0] for l in data.splitlines() if not l.startswith("#")]
    want = [lf10(x) for x in (0, .25, .5, .75, 1, 1, .75, .5, .25, 0)]
    check(got == want, "ping-pong grid with the turning current twice")
    print("self-check %s" % ("FAILED" if failures else "passed"))
    return 1 if failures else 0


def main(argv):
    return transcribe(argv, with_stopped_clock(run), self_check, __doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
