#!/usr/bin/env python3
"""Reference model of jj_trace, the physical-unit trajectory program.

Literal Python transcription used to produce the golden transcripts in
tests/golden/trace/.  The integrators and the scanf-like answer reader are
those of ivnorm_reference.py; this file adds the junction in physical units
(parameter record, the three resistance laws, the derivative that records the
currents of its latest evaluation, the output multipliers), the dialogue blocks
shared with jj_iv (iv_reference.py imports them from here), and the trajectory
program itself.  Every expression keeps the documented order of operations
with explicit parentheses, evaluated left to right; time advances by repeated
addition.

Usage:
    python3 trace_reference.py ANSWERS_FILE OUT_DIR
        Replays the answers and writes OUT_DIR/<stem>.console and
        OUT_DIR/<stem>.dat, with clock readings masked ("hh:mm:ss",
        "mm/dd/yy").  Only answers the program accepts are modelled.  The
        random start draws from the generator seeded with the calendar second
        FIXED_CLOCK, at which the tests stop the program's clock.

    python3 trace_reference.py --self-check
        Checks the derived quantities of 1 mA and 1 pF, the laws at the gap,
        and the step counts of the two time loops.
"""

import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from ivnorm_reference import (  # noqa: E402
    transcribe, with_stopped_clock,
    Answers, MultistepHistory, METHOD_NAMES, c_float, make_stepper,
    multistep_start, span_to_steps, DATE_MASK, TIME_MASK)

TWO_PI = 6.28318530718
NEG_NAN = math.copysign(math.nan, -1.0)   # what 0/0 gives on the machine

METHOD_PROMPT = ("Metodo di integrazione (0 == Runge-Kutta IV, 1 == Adams III, "
                 "2 == Adams IV, 3 == Adams-Moulton V, 4 == Adams-Moulton VI) ? ")
LAW_NAMES = ["R costante", " R spezzata", "R continua"]


# ---------------------------------------------------------------------------
# C arithmetic where Python would raise
# ---------------------------------------------------------------------------

def cdiv(a, b):
    """a / b in IEEE doubles; 0/0 is the machine's default NaN (sign set)."""
    if b == 0.0:
        if math.isnan(a):
            return a
        if a == 0.0:
            return NEG_NAN
        return math.copysign(math.inf, a) * math.copysign(1.0, b)
    return a / b


def cexp(x):
    try:
        return math.exp(x)
    except OverflowError:
        return math.inf


def csin(x):
    if math.isinf(x):
        return NEG_NAN
    return math.sin(x)


def lf(x):
    return c_float("%f", x)


def lf10(x):
    return c_float("%.10f", x)


# ---------------------------------------------------------------------------
# Physical junction model
# ---------------------------------------------------------------------------

class PhysicalParams:
    def __init__(self):
        self.I_c = 0.0
        self.C = 0.0
        self.law = 0
        self.R_normal = 0.0
        self.R_subgap = 0.0
        self.V_gap = 0.0
        self.V_depth = 0.0
        self.omega_p = 0.0
        self.omega_c = 0.0
        self.BetaC_normal = 0.0
        self.BetaC_subgap = 0.0
        self.V_plasma = 0.0
        self.v_gap = 0.0
        self.v_depth = 0.0
        self.I0 = 0.0
        self.rf_on = 0
        self.omega_rf = 0.0
        self.Omega1 = 0.0
        self.I1 = 0.0
        self.law_fn = None


class InstantCurrents:
    def __init__(self):
        self.i = 0.0
        self.is_ = 0.0
        self.ir = 0.0


class OutputScales:
    def __init__(self):
        self.V_norm = 0.0
        self.I_norm = 0.0
        self.t_norm = 0.0


def make_laws(p):
    def constant(v):
        return p.BetaC_normal

    def piecewise(v):
        if abs(v) <= p.v_gap:
            return p.BetaC_subgap
        return p.BetaC_normal

    def continuous(v):
        g_sub = 1.0 / p.R_subgap
        e = cexp((p.v_gap - abs(v)) / p.v_depth)
        g_n = 1.0 / p.R_normal
        G = g_sub + ((g_n - g_sub) / (e + 1.0))
        return ((p.I_c / (G * G)) * p.C) * 3.0386

    return [constant, piecewise, continuous]


def bias(p, tau):
    if p.rf_on != 0:
        return (csin(p.Omega1 * tau) * p.I1) + p.I0
    return p.I0


def make_physical_derivative(p, cur):
    """The trajectory program's derivative: records i, is and ir."""
    def f(tau, y, k):
        cur.i = bias(p, tau)
        if k == 0:
            return y[1]
        b = p.law_fn(y[1])
        cur.ir = y[1] / math.sqrt(b)
        cur.is_ = csin(y[0])
        return (cur.i - cur.is_) - cur.ir
    return f


def make_iv_derivative(p, cur):
    """The IV program's derivative: records i only, other subtraction order."""
    def f(tau, y, k):
        cur.i = bias(p, tau)
        if k == 0:
            return y[1]
        b = p.law_fn(y[1])
        return (cur.i - (y[1] / math.sqrt(b))) - csin(y[0])
    return f


# ---------------------------------------------------------------------------
# The dialogue blocks shared by jj_trace and jj_iv
# ---------------------------------------------------------------------------

def ask_junction_parameters(ans, con, p):
    con.append("-- Parametri giunzione Josephson --\n")
    con.append("1 == 1 mA\n")
    con.append("Corrente critica ? ")
    p.I_c = ans.read_lf()
    con.append("1 == 1 pF\n")
    con.append("Capacita' ? ")
    p.C = ans.read_lf()
    p.omega_p = math.sqrt((p.I_c / p.C) * 3.0386e+24)
    con.append("Pulsazione di plasma (rad/s) = %e\n" % p.omega_p)
    con.append("0 = costante, 1 = spezzata, 2 = continua\n")
    con.append("Approssimazione R ? ")
    p.law = ans.read_d()
    if p.law == 0:
        con.append("1 == 1 Ohm\n")
        con.append("R_normal ? ")
        p.R_normal = ans.read_lf()
        p.omega_c = (p.R_normal * p.I_c) * 3038600000000.0
        con.append("Pulsazione caratteristica (rad/s) = %e\n" % p.omega_c)
        p.BetaC_normal = (((p.R_normal * p.R_normal) * p.I_c) * p.C) * 3.0386
        con.append("BetaC_normal = %s\n" % lf(p.BetaC_normal))
    elif p.law in (1, 2):
        if p.law == 2:
            con.append("1 == 1mV\n")
            con.append("Tensione di gap depth ? ")
            p.V_depth = ans.read_lf()
        con.append("1 == 1 mV\n")
        con.append("Tensione di gap ? ")
        p.V_gap = ans.read_lf()
        con.append("1 == 1 Ohm\n")
        con.append("R_subgap ? ")
        p.R_subgap = ans.read_lf()
        con.append("R_normal ? ")
        p.R_normal = ans.read_lf()
        p.BetaC_subgap = (((p.R_subgap * p.R_subgap) * p.I_c) * p.C) * 3.0386
        p.BetaC_normal = (((p.R_normal * p.R_normal) * p.I_c) * p.C) * 3.0386
        con.append("BetaC_subgap = %s, BetaC_normal = %s\n"
                   % (lf(p.BetaC_subgap), lf(p.BetaC_normal)))
    else:
        raise ValueError("resistance law %d outside 0..2 is refused" % p.law)
    p.law_fn = make_laws(p)[p.law]
    p.V_plasma = p.omega_p * 3.2909892713749753e-13
    p.v_gap = p.V_gap / p.V_plasma
    p.v_depth = p.V_depth / p.V_plasma


def ask_bias_parameters(ans, con, p, dc_current):
    con.append("-- Parametri polarizzazione --\n")
    if dc_current:
        con.append("1 == 1 mA\n")
        con.append("Corrente continua ? ")
        p.I0 = ans.read_lf() / p.I_c
    con.append("0 = No, 1 = Si\n")
    con.append("Inserire rf ? ")
    p.rf_on = ans.read_d()
    if p.rf_on == 1:
        con.append("1 == 1 GHz\n")
        con.append("Frequenza rf ? ")
        p.omega_rf = ans.read_lf()
        p.omega_rf = p.omega_rf * 6283185307.18
        p.Omega1 = p.omega_rf / p.omega_p
        con.append("Pulsazione normalizzata alla pulsazione di plasma %s\n"
                   % lf(p.Omega1))
        if p.law == 0:
            con.append("Pulsazione normalizzata alla pulsazione caratteristica %s\n"
                       % lf(p.omega_rf / p.omega_c))
        con.append("Step armonici in corrispondenza di %s mV (normalizzato %s)\n"
                   % (lf(p.Omega1 * p.V_plasma), lf(p.Omega1)))
        con.append("1 == 1 mA\n")
        con.append("Ampiezza rf ? ")
        p.I1 = ans.read_lf() / p.I_c


def ask_output_scales(ans, con, p, time_question):
    con.append("-- Generazione output --\n")
    t_choice = None
    if time_question:
        if p.law == 0:
            con.append("0 = nessuna, 1 = pulsazione di plasma , "
                       "2 = pulsazione caratteristica\n")
        else:
            con.append("0 = nessuna, 1 = pulsazione di plasma\n")
        con.append("Normalizzazione tempo ? ")
        t_choice = ans.read_d()
    if p.law == 0:
        con.append("0 = nessuna, 1 = tensione di plasma , 2 = tensione caratteristica\n")
    else:
        con.append("0 = nessuna, 1 = tensione di plasma\n")
    con.append("Normalizzazione tensione ? ")
    v_choice = ans.read_d()
    con.append("0 = nessuna, 1 = corrente critica\n")
    con.append("Normalizzazione corrente ? ")
    i_choice = ans.read_d()

    s = OutputScales()
    s.I_norm = {0: p.I_c, 1: 1.0}.get(i_choice, 0.0)
    s.V_norm = {0: p.V_plasma, 1: 1.0,
                2: 1.0 / math.sqrt(p.BetaC_normal)}.get(v_choice, 0.0)
    if time_question:
        s.t_norm = {0: 1.0 / p.omega_p, 1: 1.0,
                    2: math.sqrt(p.BetaC_normal)}.get(t_choice, 0.0)
    return s


def write_model_header(out, p):
    out.append("# Modello utilizzato: %s con\n" % LAW_NAMES[p.law])
    if p.law == 2:
        out.append("# Tensione di gap V_gap (mV) = %s, Gap depth V_depth (mV) = %s\n"
                   % (lf(p.V_gap), lf(p.V_depth)))
    if p.law in (1, 2):
        out.append("# R_subgap (Ohm) = %s\n" % lf(p.R_subgap))
    out.append("# R_normal (Ohm) = %s\n" % lf(p.R_normal))
    out.append("# Capacita' C (pF) = %s\n" % lf(p.C))
    out.append("# Corrente critica (mA) = %s\n" % lf(p.I_c))
    out.append("# Pulsazione di plasma (rad/s) = %e\n" % p.omega_p)
    if p.law > 0:
        out.append("# BetaC_subgap = %s, BetaC_normal = %s\n"
                   % (lf(p.BetaC_subgap), lf(p.BetaC_normal)))
    else:
        out.append("# Pulsazione caratteristica (rad/s) = %e\n" % p.omega_c)
        out.append("# BetaC_normal = %s\n" % lf(p.BetaC_normal))


def ask_mesh_and_method(ans, con):
    con.append("-- Parametri integrazione numerica --\n")
    con.append("1 == 1/(pulsazione di plasma)\n")
    con.append("Lunghezza di mesh (rad) ? ")
    h = ans.read_lf()
    con.append(METHOD_PROMPT)
    method = ans.read_d()
    if not 0 <= method <= 4:
        raise ValueError("method %d outside 0..4 is refused" % method)
    if not h > 0.0:
        raise ValueError("a mesh length that is not positive is refused")
    return h, method


# ---------------------------------------------------------------------------
# The trajectory program
# ---------------------------------------------------------------------------

def run(answers_text, random_draw=None):
    """Replays one jj_trace run; returns (console text, file text).
    random_draw() gives the random start (phase, value)."""
    ans = Answers(answers_text)
    con = []
    out = []

    con.append("Nome file su cui scrivere traiettoria del sistema ? ")
    ans.read_s()

    p = PhysicalParams()
    ask_junction_parameters(ans, con, p)
    ask_bias_parameters(ans, con, p, dc_current=True)
    h, method = ask_mesh_and_method(ans, con)

    con.append("-- Parametri registrazione traiettoria --\n")
    con.append("1 == 1 /(pulsazione di plasma) \n")
    con.append("Tempo su cui registrare (rad) ? ")
    T_rec = ans.read_lf()
    N_rec = span_to_steps(T_rec, h)
    T_rec_eff = float(N_rec) * h

    con.append("-- Parametri media della tensione --\n")
    con.append("0 = No, 1 = Si\n")
    con.append("Calcolare media ? ")
    averaging = ans.read_d()
    T_avg = 0.0
    T_tr = 0.0
    if averaging == 1:
        con.append("1 == 1 /(pulsazione di plasma) \n")
        con.append("Tempo su cui mediare (rad) ? ")
        T_avg = ans.read_lf()
        con.append("Tempo da scartare come transiente (rad) ? ")
        T_tr = ans.read_lf()
    if T_tr + T_avg < T_rec:
        T_avg = T_rec - T_tr
        con.append("!! Overwrite\n")
    N_avg = span_to_steps(T_avg, h)
    T_avg_eff = float(N_avg) * h
    N_tr = span_to_steps(T_tr, h)
    T_tr_eff = float(N_tr) * h
    T_end = float(N_tr + N_avg) * h
    con.append("Media su %s rad (%d mesh steps) dopo transiente di %s rad "
               "(%d mesh steps)\n" % (lf(T_avg_eff), N_avg, lf(T_tr_eff), N_tr))

    con.append("-- Condizioni iniziali --\n")
    con.append("0 = Random, 1 = Immettere\n")
    start = ans.read_d()
    if start == 0:
        # the generator is seeded here; the value is taken as V(0) in mV
        phi0, V0 = random_draw()
    elif start == 1:
        con.append("Fase iniziale (rad) ? ")
        phi0 = ans.read_lf()
        con.append("Tensione iniziale (mV) ? ")
        V0 = ans.read_lf()
    else:
        raise ValueError("start mode %d outside 0..1" % start)
    con.append("Phi(0) == %s (rad), V(0) == %s (mV), v(0) == %s\n"
               % (lf(phi0), lf(V0), lf(V0 / p.V_plasma)))
    y = [phi0, V0 / p.V_plasma]

    sc = ask_output_scales(ans, con, p, time_question=True)

    out.append("# Data: %s\n" % DATE_MASK)
    out.append("# Caratteristica IV giunzione Josephson\n")
    out.append("# Integrazione numerica via metodo di %s\n" % METHOD_NAMES[method])
    out.append("# Mesh length = %s rad\n" % lf(h))
    write_model_header(out, p)
    out.append("# Normalizzazione: V_norm = %s (mV), I_norm = %s (mA), t_norm = %s (sec)\n"
               % (lf(cdiv(p.V_plasma, sc.V_norm)), lf(sc.I_norm),
                  lf(sc.t_norm * p.omega_p)))
    if p.rf_on == 1:
        out.append("# RF I1 = %s, Omega1 = %s\n" % (lf(p.I1), lf(p.Omega1)))
    out.append("# Tensione registrata su %s rad (%d mesh steps)\n" % (lf(T_rec_eff), N_rec))
    out.append("# Tensione mediata su %s rad (%d mesh steps)\n"
               "# scartato un transiente di %s rad (%d mesh steps)\n"
               % (lf(T_avg_eff), N_avg, lf(T_tr_eff), N_tr))
    out.append("# I0 = %s\n" % lf(p.I0))
    out.append("# Cnd iniziali: Phi(0) = %s (rad), v(0) = %s\n" % (lf(y[0]), lf(y[1])))
    out.append("#\n# -- Simulazione iniziata...\n")
    con.append("Ore: %s\n" % TIME_MASK)
    out.append("#\n# -- Ore %s\n# i0 - i - phi - phi mod 2Pi - v - is - ir - ic\n"
               % TIME_MASK)

    cur = InstantCurrents()
    f = make_physical_derivative(p, cur)
    hist = MultistepHistory(2)
    stepper = make_stepper(method, f, hist)

    def data_line(tau):
        cols = [tau * sc.t_norm, cur.i * sc.I_norm, y[0], math.fmod(y[0], TWO_PI),
                y[1] * sc.V_norm, cur.is_ * sc.I_norm, cur.ir * sc.I_norm,
                ((cur.i - cur.ir) - cur.is_) * sc.I_norm]
        return "".join(lf10(c) + "\t" for c in cols) + "\n"

    if method != 0:
        multistep_start(f, hist, 0.0, y, h)
    mean = None
    if averaging == 1:
        total = 0.0
        tau = 0.0
        if not T_end < 0.0:
            while True:
                stepper(tau, y, h)
                if tau < T_rec_eff:
                    out.append(data_line(tau))
                if tau > T_tr_eff:
                    total = total + y[1]
                tau = tau + h
                if not tau <= T_end:
                    break
        mean = cdiv(total, float(N_avg))
    else:
        tau = 0.0
        if not T_rec_eff < 0.0:
            while True:
                stepper(tau, y, h)
                out.append(data_line(tau))
                tau = tau + h
                if not tau <= T_rec_eff:
                    break

    con.append("Finito! Ore: %s\n" % TIME_MASK)
    if averaging == 1:
        report = ("Tensione media = %s mV (normalizzato %s). Step numero = %s\n"
                  % (lf(mean * p.V_plasma), lf(mean), lf(cdiv(mean, p.Omega1))))
        con.append(report)
        out.append("# " + report)
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

    p = PhysicalParams()
    p.I_c, p.C = 1.0, 1.0
    p.omega_p = math.sqrt((p.I_c / p.C) * 3.0386e+24)
    p.V_plasma = p.omega_p * 3.2909892713749753e-13
    check(abs(p.omega_p - 1.7431e12) < 1e9, "omega_p of 1 mA, 1 pF: %e" % p.omega_p)
    check(abs(p.V_plasma - 0.5737) < 1e-3, "V_plasma of 1 mA, 1 pF: %f" % p.V_plasma)
    step = (6283185307.18 / p.omega_p) * p.V_plasma
    check(abs(step - 2.0678e-3) < 1e-6, "harmonic step of 1 GHz: %e mV" % step)

    p.R_normal, p.R_subgap, p.V_gap, p.V_depth = 10.0, 100.0, 2.8, 0.1
    p.BetaC_normal = (((10.0 * 10.0) * 1.0) * 1.0) * 3.0386
    p.BetaC_subgap = (((100.0 * 100.0) * 1.0) * 1.0) * 3.0386
    p.v_gap = p.V_gap / p.V_plasma
    p.v_depth = p.V_depth / p.V_plasma
    const, piece, cont = make_laws(p)
    check(piece(p.v_gap) == p.BetaC_subgap and piece(-p.v_gap) == p.BetaC_subgap,
          "piecewise law: the gap itself is subgap")
    g_mid = (1.0 / 100.0 + 1.0 / 10.0) / 2.0
    check(abs(cont(p.v_gap) / (3.0386 / (g_mid * g_mid)) - 1.0) < 1e-14,
          "continuous law: mean conductance at the gap")
    check(abs(cont(0.0) / p.BetaC_subgap - 1.0) < 1e-10, "continuous law: subgap at 0")

    text = ("t.dat 1 1 0 10 1.2 0 0.1 0 10 0 1 0.5 0.1 1 1 1\n")
    console, data = run(text)
    rows = [l for l in data.splitlines() if not l.startswith("#")]
    check("!! Overwrite\n" in console and len(rows) == 101,
          "averaging off, T_rec 10, h 0.1: overwrite and 101 lines (%d)" % len(rows))
    print("self-check %s" % ("FAILED" if failures else "passed"))
    return 1 if failures else 0


def main(argv):
    return transcribe(argv, with_stopped_clock(run), self_check, __doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
