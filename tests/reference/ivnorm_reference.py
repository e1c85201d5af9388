#!/usr/bin/env python3
"""Reference model of jj_ivnorm, the normalized IV program.

Literal Python transcription used to produce the golden transcripts in
tests/golden/ivnorm/.  Python floats are IEEE doubles and math.sin is the C
library sine, so as long as every expression keeps the operation order of the
C++ code the results agree bit for bit.  For that reason each weighted sum
below is spelled out with explicit parentheses, evaluated left to right, and
time and bias current advance by repeated addition, never as products.

Usage:
    python3 ivnorm_reference.py ANSWERS_FILE OUT_DIR
        Replays the dialogue answers of ANSWERS_FILE (whitespace-delimited
        tokens, read as scanf "%s", "%lf", "%d" would) and writes
        OUT_DIR/<stem>.console (standard output of the run) and
        OUT_DIR/<stem>.dat (the IV file), <stem> being the answers file name
        without ".in".  Clock readings are masked: time of day "hh:mm:ss",
        date "mm/dd/yy".  Start mode 0 ("Random") draws from the generator
        seeded with the calendar second FIXED_CLOCK, at which the tests stop
        the program's clock.

    python3 ivnorm_reference.py --self-check
        Checks the integrators (oscillator convergence, start-up restoring
        the state) and the time loops of one current point.
"""

import math
import os
import random
import re
import sys

TIME_MASK = "hh:mm:ss"
DATE_MASK = "mm/dd/yy"


# ---------------------------------------------------------------------------
# C-like arithmetic and formatting helpers
# ---------------------------------------------------------------------------

def c_div(a, b):
    """IEEE double division a / b, with the C results for b == 0."""
    if b == 0.0:
        if a == 0.0 or math.isnan(a):
            return math.nan
        sign = math.copysign(1.0, a) * math.copysign(1.0, b)
        return math.copysign(math.inf, sign)
    return a / b


def c_sin(x):
    """C sin(): NaN for an infinite argument instead of a Python exception."""
    if math.isinf(x):
        return math.nan
    return math.sin(x)


def c_float(fmt, x):
    """printf of one double with "%f"-style format fmt ("%f" or "%.10f")."""
    if math.isnan(x):
        return "-nan" if math.copysign(1.0, x) < 0 else "nan"
    return fmt % x


def span_to_steps(s, h):
    """Number of mesh steps of a span: trunc(s / h + 0.5)."""
    return int(c_div(s, h) + 0.5)


# ---------------------------------------------------------------------------
# scanf-like reader of the answers
# ---------------------------------------------------------------------------

_FLOAT_RE = re.compile(
    r"[+-]?(?:"
    r"0[xX](?:[0-9a-fA-F]+\.?[0-9a-fA-F]*|\.[0-9a-fA-F]+)(?:[pP][+-]?[0-9]+)?"
    r"|(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][+-]?[0-9]+)?"
    r"|[iI][nN][fF](?:[iI][nN][iI][tT][yY])?"
    r"|[nN][aA][nN](?:\([0-9A-Za-z_]*\))?"
    r")")
_INT_RE = re.compile(r"[+-]?[0-9]+")
_WORD_RE = re.compile(r"\S+")


class Answers:
    """Reads the answers text the way scanf reads standard input."""

    def __init__(self, text):
        self.text = text
        self.pos = 0

    def _match(self, regex, what):
        while self.pos < len(self.text) and self.text[self.pos].isspace():
            self.pos += 1
        m = regex.match(self.text, self.pos)
        if not m:
            raise ValueError("answers: no %s at offset %d" % (what, self.pos))
        self.pos = m.end()
        return m.group(0)

    def read_s(self):
        return self._match(_WORD_RE, "word")

    def read_lf(self):
        tok = self._match(_FLOAT_RE, "double")
        body = tok.lstrip("+-")
        if body[:2] in ("0x", "0X"):
            value = float.fromhex(body)
            return -value if tok.startswith("-") else value
        if body[:3].lower() == "nan":
            return math.copysign(math.nan, -1.0 if tok.startswith("-") else 1.0)
        return float(tok)

    def read_d(self):
        value = int(self._match(_INT_RE, "integer"))
        # int conversion in 32 bits
        value &= 0xFFFFFFFF
        return value - (1 << 32) if value >= (1 << 31) else value


# ---------------------------------------------------------------------------
# Integrators: fixed-step Runge-Kutta IV and the Adams family
# ---------------------------------------------------------------------------

class MultistepHistory:
    """Derivatives of past mesh points, previous state and scaled steps."""

    def __init__(self, n):
        self.rows = [[0.0] * n for _ in range(6)]
        self.previous_state = [0.0] * n
        self.h12 = 0.0
        self.h24 = 0.0
        self.h90 = 0.0
        self.h720 = 0.0
        self.h1440 = 0.0


def rk4_step(f, tau, y, h):
    n = len(y)
    h2 = h * 0.5
    h6 = h * (1.0 / 6)
    t_half = tau + h2
    t_full = tau + h
    a1 = [0.0] * n
    a2 = [0.0] * n
    a3 = [0.0] * n
    a4 = [0.0] * n
    y1 = [0.0] * n
    y2 = [0.0] * n
    y3 = [0.0] * n
    for k in range(n):
        a1[k] = f(tau, y, k)
        y1[k] = y[k] + h2 * a1[k]
    for k in range(n):
        a2[k] = f(t_half, y1, k)
        y2[k] = y[k] + h2 * a2[k]
    for k in range(n):
        a3[k] = f(t_half, y2, k)
        y3[k] = y[k] + h * a3[k]
    for k in range(n):
        a4[k] = f(t_full, y3, k)
        y[k] = y[k] + h6 * (((2.0 * (a2[k] + a3[k])) + a1[k]) + a4[k])


def multistep_start(f, hist, tau, y, h, depth=5):
    """Fills rows 1..depth by Runge-Kutta steps backward; y is restored."""
    hist.h12 = h * (1.0 / 12)
    hist.h24 = h * (1.0 / 24)
    hist.h90 = h * (1.0 / 90)
    hist.h720 = h * (1.0 / 720)
    hist.h1440 = h * (1.0 / 1440)
    saved = list(y)
    n = len(y)
    for j in range(1, depth + 1):
        rk4_step(f, tau - float(j - 1) * h, y, -h)
        t_back = tau - float(j) * h
        row = hist.rows[j]
        for k in range(n):
            row[k] = f(t_back, y, k)
        if j == 1 and depth == 5:
            hist.previous_state[:] = y
    y[:] = saved


def adams3_step(f, hist, tau, y, h):
    n = len(y)
    d0, d1, d2 = hist.rows[0], hist.rows[1], hist.rows[2]
    for k in range(n):
        d0[k] = f(tau, y, k)
    h12 = hist.h12
    for k in range(n):
        y[k] = y[k] + h12 * (((23.0 * d0[k]) - (16.0 * d1[k])) + (5.0 * d2[k]))
    for k in range(n):
        d2[k] = d1[k]
        d1[k] = d0[k]


def adams4_step(f, hist, tau, y, h):
    n = len(y)
    d0, d1, d2, d3 = hist.rows[0], hist.rows[1], hist.rows[2], hist.rows[3]
    for k in range(n):
        d0[k] = f(tau, y, k)
    h24 = hist.h24
    for k in range(n):
        y[k] = y[k] + h24 * ((((55.0 * d0[k]) - (59.0 * d1[k]))
                              + (37.0 * d2[k])) - (9.0 * d3[k]))
    for k in range(n):
        d3[k] = d2[k]
        d2[k] = d1[k]
        d1[k] = d0[k]


def adams_moulton5_step(f, hist, tau, y, h):
    n = len(y)
    d0, d1, d2, d3, d4 = hist.rows[0:5]
    prev = hist.previous_state
    for k in range(n):
        d0[k] = f(tau, y, k)
    s = [0.0] * n
    h90 = hist.h90
    for k in range(n):   # Nystrom predictor from the state one step back
        s[k] = y[k]
        y[k] = prev[k] + h90 * (((((269.0 * d0[k]) - (266.0 * d1[k]))
                                  + (294.0 * d2[k])) - (146.0 * d3[k]))
                                + (29.0 * d4[k]))
    for k in range(n):
        prev[k] = s[k]
        d4[k] = d3[k]
        d3[k] = d2[k]
        d2[k] = d1[k]
        d1[k] = d0[k]
    e = [0.0] * n
    t_next = tau + h
    for k in range(n):
        e[k] = f(t_next, y, k)
    h720 = hist.h720
    for k in range(n):   # Adams-Moulton corrector
        y[k] = s[k] + h720 * (((((251.0 * e[k]) + (646.0 * d1[k]))
                                - (264.0 * d2[k])) + (106.0 * d3[k]))
                              - (19.0 * d4[k]))


def adams_moulton6_step(f, hist, tau, y, h):
    n = len(y)
    d0, d1, d2, d3, d4, d5 = hist.rows
    prev = hist.previous_state
    for k in range(n):
        d0[k] = f(tau, y, k)
    s = [0.0] * n
    h90 = hist.h90
    for k in range(n):
        s[k] = y[k]
        y[k] = prev[k] + h90 * ((((((297.0 * d0[k]) - (406.0 * d1[k]))
                                   + (574.0 * d2[k])) - (426.0 * d3[k]))
                                 + (169.0 * d4[k])) - (28.0 * d5[k]))
    for k in range(n):
        prev[k] = s[k]
        d5[k] = d4[k]
        d4[k] = d3[k]
        d3[k] = d2[k]
        d2[k] = d1[k]
        d1[k] = d0[k]
    e = [0.0] * n
    t_next = tau + h
    for k in range(n):
        e[k] = f(t_next, y, k)
    h1440 = hist.h1440
    for k in range(n):
        y[k] = s[k] + h1440 * ((((((475.0 * e[k]) + (1427.0 * d1[k]))
                                  - (798.0 * d2[k])) + (482.0 * d3[k]))
                                - (173.0 * d4[k])) + (27.0 * d5[k]))


METHOD_NAMES = ["Runge-Kutta IV ordine", "Adams III ordine", "Adams IV ordine",
                "Adams-Moulton V ordine", "Adams-Moulton VI ordine"]
MULTISTEP = [None, adams3_step, adams4_step, adams_moulton5_step,
             adams_moulton6_step]


def make_stepper(method, f, hist):
    """Returns stepper(tau, y, h) for a method number 0..4."""
    if method == 0:
        return lambda tau, y, h: rk4_step(f, tau, y, h)
    step = MULTISTEP[method]
    return lambda tau, y, h: step(f, hist, tau, y, h)


# ---------------------------------------------------------------------------
# Normalized junction: BetaC phi'' + phi' + sin(phi) = I0 + I1 sin(Omega1 tau)
# ---------------------------------------------------------------------------

class NormalizedParams:
    def __init__(self):
        self.BetaC = 0.0
        self.I0 = 0.0
        self.I1 = 0.0
        self.Omega1 = 0.0


def make_normalized_derivative(p):
    def f(tau, y, k):
        if k == 0:
            return y[1]
        s = p.I1 * c_sin(p.Omega1 * tau)
        n = ((s - c_sin(y[0])) - y[1]) + p.I0
        return c_div(n, p.BetaC)
    return f


# ---------------------------------------------------------------------------
# Random starts under a stopped clock
# ---------------------------------------------------------------------------

# The calendar second at which the tests stop the programs' clock; the
# programs seed their generator with it.
FIXED_CLOCK = 1000000000


def clock_seeded_draws(seconds):
    """random_initial_state of the generator seeded with `seconds`: the
    32-bit Mersenne Twister (std::mt19937) seeded by init_genrand, each
    integer its top 15 bits (0 .. 32767).  Returns draw() -> (phase, value)."""
    mt = [seconds & 0xffffffff]
    for i in range(1, 624):
        mt.append((1812433253 * (mt[i - 1] ^ (mt[i - 1] >> 30)) + i) & 0xffffffff)
    twister = random.Random()
    twister.setstate((3, tuple(mt + [624]), None))

    def next_int():
        return twister.getrandbits(32) >> 17

    def draw():
        r1 = next_int()
        phase = r1 * 0.00019175345033661917
        r2 = next_int()
        value = (r2 - 16383) * 6.103701895199438e-05
        return phase, value
    return draw


def with_stopped_clock(run):
    """run(answers_text, random_draw) as a run of the answers alone, its
    generator seeded at FIXED_CLOCK."""
    return lambda answers_text: run(answers_text, clock_seeded_draws(FIXED_CLOCK))


# ---------------------------------------------------------------------------
# One current point: transient, then the voltage average
# ---------------------------------------------------------------------------

def compute_point(stepper, y, h, T_tr, T_avg, counts=None):
    """Returns V_mean; counts (if a dict) receives the numbers of steps."""
    total = 0.0
    n_tr = 0
    tau = 0.0
    while tau <= T_tr:
        stepper(tau, y, h)
        tau = tau + h
        n_tr += 1
    n_avg = 0
    tau = T_tr
    T_end = T_tr + T_avg
    while tau <= T_end:
        stepper(tau, y, h)
        total = total + y[1]
        tau = tau + h
        n_avg += 1
    if counts is not None:
        counts["transient"] = n_tr
        counts["average"] = n_avg
        counts["sum"] = total
    return c_div(h, T_avg) * total


# ---------------------------------------------------------------------------
# The whole run
# ---------------------------------------------------------------------------

# ---- Dialogue blocks shared by the normalized programs ----------------------

def read_junction_and_bias(ans, con, p):
    """BetaC, Omega1 and I1 into p, with their title and unit lines."""
    con.append("-- Parametri giunzione Josephson --\n")
    con.append("BetaC ? ")
    p.BetaC = ans.read_lf()
    con.append("-- Parametri polarizzazione --\n")
    con.append("1 == 1 pulsazione caratteristica di Josephson\n")
    con.append("Omega1 ? ")
    p.Omega1 = ans.read_lf()
    con.append("1 == 1 Ic == 1 corrente critica giunzione Josephson\n")
    con.append("I1 ?")
    p.I1 = ans.read_lf()


def read_mesh_length(ans, con):
    con.append("-- Parametri integrazione numerica --\n")
    con.append("1 == 1 rad == 1/(pulsazione caratteristica di Josephson)\n")
    con.append("Lunghezza di mesh ? ")
    h = ans.read_lf()
    return h


def read_two_method_menu(ans, con):
    """0 Runge-Kutta or 1 Adams (III, start-up of depth 2)."""
    con.append("0 = Runge-Kutta, 1 = Adams\n")
    con.append("Metodo di integrazione ? ")
    method = ans.read_d()
    if method not in (0, 1):
        raise ValueError("method %d outside the two-method menu" % method)
    return method


def read_rf_cycles(ans, con, title, T_rf, h):
    """The rf cycles discarded and recorded, in whole mesh steps, echoed;
    returns (N_tr, T_tr, N_rec, T_rec)."""
    con.append(title)
    con.append("1 = 1 ciclo rf == 2*Pi/(Omega1) rad = %s rad\n" % c_float("%f", T_rf))
    con.append("Cicli rf da scartare come transiente ? ")
    C_tr = ans.read_d()
    con.append("Cicli rf su cui registrare ? ")
    C_rec = ans.read_d()
    N_rec = span_to_steps(float(C_rec) * T_rf, h)
    T_rec = float(N_rec) * h
    N_tr = span_to_steps(float(C_tr) * T_rf, h)
    T_tr = float(N_tr) * h
    con.append("Registro su %s rad (%d mesh steps) dopo transiente di %s rad "
               "(%d mesh steps)\n" % (c_float("%f", T_rec), N_rec,
                                      c_float("%f", T_tr), N_tr))
    return N_tr, T_tr, N_rec, T_rec


def run(answers_text, random_draw):
    """Replays one jj_ivnorm run; returns (console text, file text).
    random_draw() gives the random starts (phase, value) in order."""
    ans = Answers(answers_text)
    con = []
    out = []

    con.append("Nome file su cui scrivere caratteristica <I> vs <V> ? ")
    ans.read_s()                       # file name: the file is OUT_DIR/<stem>.dat

    p = NormalizedParams()
    read_junction_and_bias(ans, con, p)

    h = read_mesh_length(ans, con)
    con.append("Metodo di integrazione (0 == Runge-Kutta IV, 1 == Adams III, "
               "2 == Adams IV, 3 == Adams-Moulton V, 4 == Adams-Moulton VI) ? ")
    method = ans.read_d()
    if not 0 <= method <= 4:
        raise ValueError("method %d outside 0..4" % method)

    con.append("-- Parametri media della tensione --\n")
    con.append("1 == 1 rad == 1/(pulsazione caratteristica di Josephson)\n")
    con.append("Tempo su cui mediare (rad) ? ")
    T_avg_in = ans.read_lf()
    con.append("Tempo da scartare come transiente (rad) ? ")
    T_tr_in = ans.read_lf()
    N_avg = span_to_steps(T_avg_in, h)
    T_avg = float(N_avg) * h
    N_tr = span_to_steps(T_tr_in, h)
    T_tr = float(N_tr) * h
    con.append("Media su %s rad (%d mesh steps) dopo transiente di %s rad "
               "(%d mesh steps)\n" % (c_float("%f", T_avg), N_avg,
                                      c_float("%f", T_tr), N_tr))

    con.append("-- Parametri caratteristica --\n")
    con.append("1 == 1 Ic == 1 corrente critica giunzione Josephson\n")
    con.append("Corrente minima ? ")
    I_min = ans.read_lf()
    con.append("Corrente massima ? ")
    I_max = ans.read_lf()
    con.append("Delta corrente ? ")
    DeltaI0 = ans.read_lf()

    con.append("-- Condizioni iniziali --\n")
    con.append("0 = Random, 1 = Continuo da zero\n")
    start_mode = ans.read_d()
    if start_mode not in (0, 1):
        raise ValueError("start mode %d outside 0..1" % start_mode)

    con.append("-- Parametri Sweep di corrente --\n")
    con.append("Numero cicli di sweep ? ")
    n_sweeps = ans.read_lf()
    sweep_mode = 0
    if start_mode == 1:
        con.append("Modalita' sweep\n")
        con.append("0 = Solo salita, 1 = Ping pong\n")
        sweep_mode = ans.read_d()
    if sweep_mode not in (0, 1):
        raise ValueError("sweep mode %d outside 0..1" % sweep_mode)
    if not h > 0.0:
        raise ValueError("mesh length must be positive for the time loops to end")

    # header
    out.append("# Data: %s\n" % DATE_MASK)
    out.append("# Caratteristica IV giunzione Josephson\n")
    out.append("# Integrazione numerica via metodo di %s\n" % METHOD_NAMES[method])
    out.append("# BetaC = %s\n" % c_float("%f", p.BetaC))
    out.append("# I1 = %s, Omega1 = %s\n" % (c_float("%f", p.I1),
                                              c_float("%f", p.Omega1)))
    out.append("# Mesh length = %s rad\n" % c_float("%f", h))
    out.append("# Tensione mediata su %s rad (%d mesh steps)\n"
               "# scartato un transiente di %s rad (%d mesh steps)\n"
               % (c_float("%f", T_avg), N_avg, c_float("%f", T_tr), N_tr))
    out.append("# I0 = [%s,%s], DeltaI0 = %s\n"
               % (c_float("%f", I_min), c_float("%f", I_max),
                  c_float("%f", DeltaI0)))
    out.append("# Cnd iniziali = %s\n" % ["Random", "Continuo da zero"][start_mode])
    out.append("# Numero di sweep = %d\n" % int(n_sweeps))
    out.append("# Modalita' sweep = %s\n" % ["Solo salita", "Ping pong"][sweep_mode])
    # (the pseudo-random generator is seeded here, at FIXED_CLOCK)
    out.append("#\n# -- Simulazione iniziata...\n")

    D = c_div(DeltaI0, n_sweeps)

    f = make_normalized_derivative(p)
    hist = MultistepHistory(2)
    stepper = make_stepper(method, f, hist)

    def data_line(V_mean, phi0, v0):
        return "%s\t%s\t%s\t%s\n" % (c_float("%.10f", p.I0),
                                     c_float("%.10f", V_mean),
                                     c_float("%.10f", phi0),
                                     c_float("%.10f", v0))

    k = 0
    while k < n_sweeps:
        con.append("Ore: %s\n" % TIME_MASK)
        con.append("Sweep numero %d.\n" % (k + 1))
        out.append("#\n# -- Ore %s\n# -- Sweep numero %d\n"
                   "# I0-V media-phi(0)-v(0)\n" % (TIME_MASK, k + 1))
        I_start = I_min + float(k) * D
        I_end = I_max + float(k) * D
        y = [0.0, 0.0]
        phi0 = 0.0
        v0 = 0.0
        if method != 0:
            multistep_start(f, hist, 0.0, y, h)

        # upward sweep: a random start draws the state and rebuilds the
        # history; a continuous one carries both from point to point
        p.I0 = I_start
        if p.I0 <= I_end and not DeltaI0 > 0.0:
            raise ValueError("DeltaI0 must be positive for the sweep to end")
        while p.I0 <= I_end:
            if start_mode == 0:
                phi0, v0 = random_draw()
                y[0], y[1] = phi0, v0
                if method != 0:
                    multistep_start(f, hist, 0.0, y, h)
            V_mean = compute_point(stepper, y, h, T_tr, T_avg)
            out.append(data_line(V_mean, phi0, v0))
            p.I0 = p.I0 + DeltaI0

        # downward sweep: Adams III alone rebuilds its history at each point
        if sweep_mode == 1:
            p.I0 = I_end
            if p.I0 >= I_start and not DeltaI0 > 0.0:
                raise ValueError("DeltaI0 must be positive for the sweep to end")
            while p.I0 >= I_start:
                if method == 1:
                    multistep_start(f, hist, 0.0, y, h)
                V_mean = compute_point(stepper, y, h, T_tr, T_avg)
                out.append(data_line(V_mean, phi0, v0))
                p.I0 = p.I0 - DeltaI0
        k += 1

    con.append("Finito! Ore: %s\n" % TIME_MASK)
    return "".join(con), "".join(out)


# ---------------------------------------------------------------------------
# Self-check
# ---------------------------------------------------------------------------

def _oscillator(tau, y, k):
    return y[1] if k == 0 else -y[0]


def oscillator_error(method, h):
    """Error length at tau = 10 of phi' = v, v' = -phi from (0, 1)."""
    hist = MultistepHistory(2)
    stepper = make_stepper(method, _oscillator, hist)
    y = [0.0, 1.0]
    if method != 0:
        multistep_start(_oscillator, hist, 0.0, y, h)
    tau = 0.0
    for _ in range(span_to_steps(10.0, h)):
        stepper(tau, y, h)
        tau = tau + h
    return math.hypot(y[0] - math.sin(10.0), y[1] - math.cos(10.0))


def self_check():
    failures = []

    def check(cond, msg):
        print(("ok    " if cond else "FAIL  ") + msg)
        if not cond:
            failures.append(msg)

    # Oscillator: error at h = 0.05 and the ratio of one halving of h.
    expected = [5.2e-7, 4.7e-4, 2.2e-5, 6.0e-8, 2.3e-9]
    orders = [4, 3, 4, 5, 6]
    for m in range(5):
        e1 = oscillator_error(m, 0.05)
        e2 = oscillator_error(m, 0.025)
        ratio = e1 / e2
        check(abs(e1 / expected[m] - 1.0) < 0.05,
              "oscillator method %d h=0.05 error %.3e (about %.1e)"
              % (m, e1, expected[m]))
        check(abs(math.log2(ratio) - orders[m]) < 0.3,
              "oscillator method %d halving ratio %.2f (about %d)"
              % (m, ratio, 2 ** orders[m]))

    # Start-up leaves the state bit for bit unchanged.
    p = NormalizedParams()
    p.BetaC, p.I0, p.I1, p.Omega1 = 2.0, 0.7, 0.5, 0.7
    f = make_normalized_derivative(p)
    hist = MultistepHistory(2)
    y = [1.2345678901234567, -0.3141592653589793]
    before = list(y)
    multistep_start(f, hist, 0.0, y, 0.05)
    check(y == before, "multistep_start restores the state exactly")

    # Normalized derivative at rest.
    check(f(0.0, [0.0, 0.0], 1) == 0.7 / 2.0, "derivative at rest is I0/BetaC")

    # Spans in whole mesh steps.
    check(span_to_steps(1.0, 0.3) == 3 and "%f" % (3 * 0.3) == "0.900000",
          "span 1 with h 0.3: 3 steps echoed as 0.900000")
    check(span_to_steps(0.1, 0.25) == 0 and span_to_steps(0.125, 0.25) == 1,
          "span 0.1 -> 0 steps, 0.125 -> 1 step with h 0.25")

    # h = 0.25, averaging 2, transient 1: echo, 5 + 9 steps, V = 0.125 * sum.
    h = 0.25
    N_avg, N_tr = span_to_steps(2.0, h), span_to_steps(1.0, h)
    T_avg, T_tr = float(N_avg) * h, float(N_tr) * h
    echo = ("Media su %f rad (%d mesh steps) dopo transiente di %f rad "
            "(%d mesh steps)\n" % (T_avg, N_avg, T_tr, N_tr))
    check(echo == "Media su 2.000000 rad (8 mesh steps) dopo transiente di "
                  "1.000000 rad (4 mesh steps)\n", "echo for h 0.25: " + echo.strip())
    for m in range(5):
        hist = MultistepHistory(2)
        stepper = make_stepper(m, f, hist)
        y = [0.0, 0.0]
        if m != 0:
            multistep_start(f, hist, 0.0, y, h)
        counts = {}
        V = compute_point(stepper, y, h, T_tr, T_avg, counts)
        check(counts["transient"] == 5 and counts["average"] == 9
              and V == 0.125 * counts["sum"],
              "method %d: %d transient steps, %d averaging steps, V = 0.125*sum"
              % (m, counts["transient"], counts["average"]))

    # Interleaved ping-pong grid of two sweeps.
    text = "x 1 1 0 0.25 0 0.5 0.25 0 1 0.25 1 2 1"
    console, data = run(text, None)
    rows = [l.split("\t") for l in data.splitlines() if not l.startswith("#")]
    got = [r[0] for r in rows]
    want = ["%.10f" % x for x in (0, .25, .5, .75, 1, 1, .75, .5, .25, 0,
                                  .125, .375, .625, .875, 1.125,
                                  1.125, .875, .625, .375, .125)]
    check(got == want, "two interleaved ping-pong sweeps give the I0 grid")
    check(all(r[2] == "0.0000000000" and r[3] == "0.0000000000"
              for r in rows) and "# Numero di sweep = 2\n" in data
          and "# Modalita' sweep = Ping pong\n" in data,
          "zero starting columns and ping-pong header")

    # Zero sweeps: header only, and only the final console line after the dialogue.
    console, data = run("x 1 1 0.5 0.1 0 5 1 0 1 0.25 1 0 1", None)
    check(data.endswith("#\n# -- Simulazione iniziata...\n")
          and console.endswith("0 = Solo salita, 1 = Ping pong\n"
                               "Finito! Ore: hh:mm:ss\n"),
          "zero sweeps: header only")

    print("self-check %s" % ("FAILED" if failures else "passed"))
    return 1 if failures else 0


def transcribe(argv, run, self_check, usage):
    """The command line of every transcription: ANSWERS_FILE OUT_DIR writes
    <stem>.console and <stem>.dat; --self-check runs the checks."""
    if len(argv) == 2 and argv[1] == "--self-check":
        return self_check()
    if len(argv) != 3:
        sys.stderr.write(usage)
        return 2
    answers_path, out_dir = argv[1], argv[2]
    with open(answers_path) as fh:
        text = fh.read()
    stem = os.path.basename(answers_path)
    if stem.endswith(".in"):
        stem = stem[:-3]
    console, data = run(text)
    os.makedirs(out_dir, exist_ok=True)
    with open(os.path.join(out_dir, stem + ".console"), "w", newline="\n") as fh:
        fh.write(console)
    with open(os.path.join(out_dir, stem + ".dat"), "w", newline="\n") as fh:
        fh.write(data)
    return 0


def main(argv):
    return transcribe(argv, with_stopped_clock(run), self_check, __doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
