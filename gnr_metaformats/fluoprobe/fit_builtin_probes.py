#!/usr/bin/env python3
"""Writes the band-shape parameters and colours of builtin_probes.tsv.

Run by hand after editing the rows (standard library only, deterministic):

    python3 fit_builtin_probes.py builtin_probes.tsv

Rows whose colour_source is "emission" get the default shapes and the colour
their emission spectrum gives. Rows whose colour_source is "stated" keep their
colour; their emission shape is searched (Nelder-Mead from fixed starts) until
the colour of the spectrum matches it within one unit in one channel. The
sums, the rounding to 6 decimals and the colour mean follow the library's C++
code step by step, so both see the same doubles.
"""
import math
import sys

# Default shapes: (sigma left, sigma right, shoulder amplitude, offset, width).
EXCITATION_SHAPE = (30.0, 12.0, 0.25, -60.0, 15.0)
EMISSION_SHAPE = (12.0, 28.0, 0.3, 60.0, 18.0)
SHAPE_KEYS = ("sl", "sr", "sa", "so", "sw")


def rgb_from_wavelength(nm):
    """The display colour of a wavelength as (r, g, b), as the library has it."""
    if nm < 0.5:
        return (255, 255, 255)
    if nm < 380.0:
        return (255, 0, 255)
    if nm < 440.0:
        return (int((nm - 440.0) * -4.25) & 0xFF, 0, 255)
    if nm < 490.0:
        return (0, int((nm - 440.0) * 5.1000000000000005) & 0xFF, 255)
    if nm < 510.0:
        return (0, 255, int((nm - 510.0) * -12.75) & 0xFF)
    if nm < 555.0:
        return (int((nm - 510.0) * 5.666666666666667) & 0xFF, 255, 0)
    if nm < 620.0:
        return (255, int((nm - 620.0) * -3.9230769230769234) & 0xFF, 0)
    return (255, 0, 0)


def wavelengths(first, last, jump):
    if jump:
        return list(range(first, jump + 1)) + [last]
    return list(range(first, last + 1))


def band(x, peak, shape):
    sl, sr, sa, so, sw = shape
    t = (x - peak) / (sl if x < peak else sr)
    u = (x - (peak + so)) / sw
    return math.exp(-0.5 * t * t) + sa * math.exp(-0.5 * u * u)


def micro_values(grid, peak, peak_value, shape):
    """The values times 10^6 as integers, as the generator stores them."""
    top = band(float(peak), float(peak), shape)
    out = []
    for x in grid:
        v = peak_value * (band(float(x), float(peak), shape) / top)
        out.append(math.floor(v * 1e6 + 0.5))
    return out


def single_peak(grid, micro, peak):
    at = grid.index(peak)
    return all(m < micro[at] for i, m in enumerate(micro) if i != at)


def colour_means(grid, values):
    sums = [0.0, 0.0, 0.0]
    weight = 0.0
    for x, v in zip(grid, values):
        c = rgb_from_wavelength(float(x))
        for b in range(3):
            sums[b] += float(c[b]) * v
        weight += v
    if weight == 0.0:
        return None
    return [s / weight for s in sums]


def colour_word(means):
    if means is None:
        return 0
    word = 0
    for b, m in enumerate(means):
        byte = (int(m) if m < 255.0 else 255) if m > 0.0 else 0
        word |= byte << (8 * b)
    return word


def spectrum_colour(grid, micro):
    return colour_word(colour_means(grid, [m / 1e6 for m in micro]))


def close_enough(a, b):
    """At most one channel apart, by at most one unit."""
    diffs = [abs(((a >> s) & 0xFF) - ((b >> s) & 0xFF)) for s in (0, 8, 16)]
    return max(diffs) <= 1 and sum(diffs) <= 1


def rounded(shape):
    return tuple(float("%.4f" % p) for p in shape)


def legal(shape):
    sl, sr, sa, so, sw = shape
    return 2.0 <= sl <= 250.0 and 2.0 <= sr <= 250.0 and 0.0 <= sa <= 3.0 and 2.0 <= sw <= 150.0


def nelder_mead(f, start, steps, iterations):
    n = len(start)
    simplex = [list(start)]
    for i in range(n):
        p = list(start)
        p[i] += steps[i]
        simplex.append(p)
    scores = [f(p) for p in simplex]
    for _ in range(iterations):
        order = sorted(range(n + 1), key=lambda k: scores[k])
        simplex = [simplex[k] for k in order]
        scores = [scores[k] for k in order]
        if scores[0] < 1e-6:
            break
        centre = [sum(p[i] for p in simplex[:-1]) / n for i in range(n)]
        worst = simplex[-1]
        refl = [centre[i] + (centre[i] - worst[i]) for i in range(n)]
        fr = f(refl)
        if fr < scores[0]:
            exp = [centre[i] + 2.0 * (centre[i] - worst[i]) for i in range(n)]
            fe = f(exp)
            simplex[-1], scores[-1] = (exp, fe) if fe < fr else (refl, fr)
        elif fr < scores[-2]:
            simplex[-1], scores[-1] = refl, fr
        else:
            con = [centre[i] + 0.5 * (worst[i] - centre[i]) for i in range(n)]
            fc = f(con)
            if fc < scores[-1]:
                simplex[-1], scores[-1] = con, fc
            else:
                best = simplex[0]
                simplex = [best] + [[best[i] + 0.5 * (p[i] - best[i]) for i in range(n)]
                                    for p in simplex[1:]]
                scores = [scores[0]] + [f(p) for p in simplex[1:]]
    k = min(range(n + 1), key=lambda k: scores[k])
    return simplex[k]


def fit_emission(grid, peak, peak_value, target):
    goal = [((target >> (8 * b)) & 0xFF) + 0.5 for b in range(3)]

    def loss(p):
        shape = tuple(p)
        if not legal(shape):
            return 1e12
        micro = micro_values(grid, peak, peak_value, shape)
        if not single_peak(grid, micro, peak):
            return 1e9
        means = colour_means(grid, [m / 1e6 for m in micro])
        if means is None:
            return 1e9
        return sum((m - g) ** 2 for m, g in zip(means, goal))

    starts = []
    for sa in (0.3, 0.8, 0.05):
        for so in (40.0, -40.0, 90.0, -90.0):
            for sl, sr in ((12.0, 28.0), (25.0, 60.0), (6.0, 15.0), (40.0, 100.0)):
                starts.append((sl, sr, sa, so, 25.0))
    for start in starts:
        best = nelder_mead(loss, start, (4.0, 8.0, 0.2, 15.0, 8.0), 3000)
        shape = rounded(best)
        if not legal(shape):
            continue
        micro = micro_values(grid, peak, peak_value, shape)
        if single_peak(grid, micro, peak) and close_enough(spectrum_colour(grid, micro), target):
            return shape
    raise SystemExit("no emission shape reaches colour 0x%06x" % target)


def main(path):
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    comments = [l for l in lines if l.startswith("#")]
    body = [l for l in lines if not l.startswith("#")]
    columns = body[0].split("\t")
    out = comments + [body[0]]
    for line in body[1:]:
        row = dict(zip(columns, line.split("\t")))
        ex_grid = wavelengths(int(row["exc_first"]), int(row["exc_last"]), int(row["exc_jump"]))
        em_grid = wavelengths(int(row["ems_first"]), int(row["ems_last"]), 0)
        ex_peak, em_peak = int(row["exc_peak_nm"]), int(row["ems_peak_nm"])
        ex_value, em_value = float(row["exc_peak"]), float(row["ems_peak"])
        ex_shape = EXCITATION_SHAPE
        if not single_peak(ex_grid, micro_values(ex_grid, ex_peak, ex_value, ex_shape), ex_peak):
            raise SystemExit("row %s: excitation peak not single" % row["index"])
        if row["colour_source"] == "stated":
            target = int(row["colour"], 16)
            em_shape = fit_emission(em_grid, em_peak, em_value, target)
            colour = target
        else:
            em_shape = EMISSION_SHAPE
            micro = micro_values(em_grid, em_peak, em_value, em_shape)
            if not single_peak(em_grid, micro, em_peak):
                raise SystemExit("row %s: emission peak not single" % row["index"])
            colour = spectrum_colour(em_grid, micro)
        for prefix, shape in (("exc_", ex_shape), ("ems_", em_shape)):
            for key, p in zip(SHAPE_KEYS, shape):
                row[prefix + key] = "%.4f" % p
        row["colour"] = "0x%08x" % colour
        out.append("\t".join(row[c] for c in columns))
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "builtin_probes.tsv")
