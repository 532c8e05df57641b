#!/usr/bin/python3
"""Savitzky-Golay, joint histograms, general rotation and the rasterisers
against a Python transcription, SciPy, NumPy and scikit-image.

Usage: check_geometry.py PATH_TO_geometry_dump. Exits 77 (skipped) when
numpy, scipy or skimage cannot be imported, 1 when a check fails. The dump
program runs once, on a batch of requests.
"""
import math
import struct
import subprocess
import sys

try:
    import numpy as np
    from scipy import ndimage
    from scipy.signal import savgol_filter
    from skimage import draw, transform
except ImportError as e:
    print("skipped: %s" % e)
    sys.exit(77)

DUMP = sys.argv[1]
failures = []
rng = np.random.default_rng(31)
requests = []


def add(args, payload, then):
    requests.append((" ".join(str(a) for a in args) + "\n", payload, then))


def dtype_of(bits):
    return np.dtype("<u1") if bits <= 8 else np.dtype("<u2")


def picture(bits, h, w, comps, smooth=False, low=0):
    top = (1 << bits) - 1
    pic = rng.integers(low, top + 1, size=(h, w, comps)).astype(float)
    if smooth:
        pic = ndimage.gaussian_filter(pic, sigma=(3, 3, 0), mode="nearest")
        pic = low + (pic - pic.min()) * (top - low) / max(pic.max() - pic.min(), 1)
    return np.clip(np.round(pic), low, top).astype(dtype_of(bits))


# --- Savitzky-Golay: the transcription --------------------------------------

def gram(i, m, k, s):
    if k > 0:
        den = k * (2 * m - k + 1)
        a = float(4 * k - 2) / float(den)
        b = float((2 * m + k) * (k - 1)) / float(den)
        first = float(i) * gram(i, m, k - 1, s) + float(s) * gram(i, m, k - 1, s - 1)
        second = gram(i, m, k - 2, s)
        return a * first - b * second
    return 1.0 if k == 0 and s == 0 else 0.0


def gen_fact(a, b):
    gf = 1.0
    for j in range(a - b + 1, a + 1):
        gf *= float(j)
    return gf


def weight(i, t, m, n, s):
    total = 0.0
    for k in range(n + 1):
        ratio = gen_fact(2 * m, k) / gen_fact(2 * m + k + 1, k + 1)
        term = gram(t, m, k, s) * ratio
        term = term * float(2 * k + 1)
        term = term * gram(i, m, k, 0)
        total = total + term
    return total


def round_away(x):
    a = abs(x)
    f = math.floor(a)
    r = f + 1 if a - f >= 0.5 else f
    return int(-r if x < 0 else r)


def tables(m, bits, s):
    side = 2 * m + 1
    w = [[weight(i, t, m, 2, s) for t in range(-m, m + 1)] for i in range(-m, m + 1)]
    F = np.array([[round_away(w[i][t] * 1024.0) for t in range(side)] for i in range(side)],
                 dtype=np.int64)
    L = np.array([[round_away(float(v) * w[i][m] * 1024.0) for v in range(1 << bits)]
                  for i in range(side)], dtype=np.int64)
    return F, L


def line_pass(a, m, F, L, store):
    """Sums along axis 1 of a (h, w, c) int64 array, then the store."""
    h, w, c = a.shape
    n = 2 * m + 1
    top = L.shape[1] - 1
    idx = np.minimum(a, top)
    S = np.zeros_like(a)
    for i in range(n):
        S[:, m:w - m] += L[i][idx[:, i:w - 2 * m + i]]
    for x in range(m):
        S[:, x] = sum(idx[:, k] * F[k][x] for k in range(n))
        first = w - n
        S[:, w - m + x] = sum(idx[:, first + k] * F[k][m + 1 + x] for k in range(n))
    return store(S)


def golay_reference(pic, bits, size, mode):
    a = pic.astype(np.int64)
    m = (size - 1) // 2 if size >= 1 else 0
    if mode == 0:
        m = max(m, 2)
    if m < 1:
        return None
    top = (1 << bits) - 1
    if mode == 0:
        F, L = tables(m, bits, 0)
        store = lambda S: np.clip((S + 512) >> 10, 0, top)
        rows = line_pass(a, m, F, L, store)
        return line_pass(rows.transpose(1, 0, 2), m, F, L, store).transpose(1, 0, 2)
    F, L = tables(m, bits, 1)
    if bits == 8:
        store = lambda S: np.minimum(np.abs(S), 65535) >> 8
    else:
        store = lambda S: np.minimum(np.abs(S), (1 << (2 * bits)) - 1) >> bits
    dx = line_pass(a, m, F, L, store) if mode in (1, 3) else None
    dy = line_pass(a.transpose(1, 0, 2), m, F, L, store).transpose(1, 0, 2) \
        if mode in (2, 3) else None
    if mode == 1:
        return dx
    if mode == 2:
        return dy
    return np.maximum(dx, dy)


def golay_case(bits, comps, h, w, size, mode, smooth):
    pic = picture(bits, h, w, comps, smooth)
    want = golay_reference(pic, bits, size, mode)
    name = "golay %d bits, %d comps, %dx%d, size %d, mode %d" % (bits, comps, w, h, size, mode)
    top = (1 << bits) - 1

    def then(raw):
        status = struct.unpack("<i", raw[:4])[0]
        if status != 0:
            failures.append("%s: status %d" % (name, status))
            return
        got = np.frombuffer(raw[4:], dtype=dtype_of(bits)).reshape(h, w, comps).astype(np.int64)
        if want is None:
            if got.any():
                failures.append("%s: wrote samples for m below 1" % name)
            return
        if not np.array_equal(got, want):
            y, x, c = np.argwhere(got != want)[0]
            failures.append("%s: at %d,%d,%d %d, transcription %d"
                            % (name, x, y, c, got[y, x, c], want[y, x, c]))
        if not smooth:
            return
        # SciPy's fit on smooth pictures: the same polynomial in floating point.
        m = max((size - 1) // 2, 2 if mode == 0 else 0)
        window = 2 * m + 1
        f = pic.astype(float)
        if mode == 0:
            rows = np.clip(np.round(savgol_filter(f, window, 2, axis=1, mode="interp")), 0, top)
            ref = np.clip(np.round(savgol_filter(rows, window, 2, axis=0, mode="interp")), 0, top)
        else:
            scale = 4.0 if bits == 8 else 2.0 ** (10 - bits)
            ref = np.abs(savgol_filter(f, window, 2, deriv=1, axis=1 if mode == 1 else 0,
                                       mode="interp")) * scale
        # Derivatives beyond what the samples hold are clamped.
        fits = ref <= top if mode else np.ones(ref.shape, bool)
        diff = np.abs(got - ref) * fits
        # The ends multiply samples by weights x 1024 rounded: each of the
        # 2m + 1 products may be off by half a unit of 1/1024 of a sample.
        ends = 2 + window * 0.5 * top / 1024.0 * (1.0 if mode == 0 else 2.0 ** (10 - bits)
                                                  if bits > 8 else 4.0)
        inner = diff[m:-m, m:-m] if mode in (0, 3) else \
            (diff[:, m:-m] if mode == 1 else diff[m:-m, :])
        if inner.max() > 2 or diff.max() > ends:
            failures.append("%s: %.2f inside, %.2f at the ends from scipy savgol_filter"
                            % (name, inner.max(), diff.max()))

    add(["golay", bits, comps, w, h, size, mode], pic.tobytes(), then)


for bits in (8, 12):
    for comps in (1, 3):
        for size in range(3, 12):
            for mode in range(4):
                golay_case(bits, comps, 23, 29, size, mode, smooth=False)
for bits, comps, mode in [(8, 1, 0), (8, 1, 1), (8, 1, 2), (12, 1, 0), (12, 3, 1), (12, 1, 2),
                          (8, 3, 0)]:
    for size in (5, 9):
        golay_case(bits, comps, 40, 47, size, mode, smooth=True)
golay_case(8, 1, 9, 9, 1, 1, smooth=False)


# --- Joint histograms --------------------------------------------------------

def histo2d_case(bits, comps, h, w, a, b):
    pic = picture(bits, h, w, comps)
    size = 1 << bits if bits < 8 else 256
    shift = max(bits - 8, 0)
    want, _, _ = np.histogram2d(pic[:, :, a].ravel() >> shift, pic[:, :, b].ravel() >> shift,
                                bins=size, range=[[0, size], [0, size]])
    name = "histo2d %d bits, %d comps, components %d and %d" % (bits, comps, a, b)

    def then(raw):
        got = np.frombuffer(raw, dtype="<u8").reshape(size, size)
        if not np.array_equal(got, want.astype(np.uint64)):
            i, j = np.argwhere(got != want)[0]
            failures.append("%s: bin %d,%d %d, np.histogram2d %d" % (name, i, j, got[i, j], want[i, j]))

    add(["histo2d", bits, comps, w, h, a, b], pic.tobytes(), then)


for bits, comps, a, b in [(8, 3, 0, 1), (8, 3, 2, 0), (12, 2, 1, 0), (16, 3, 1, 1), (4, 2, 0, 1)]:
    histo2d_case(bits, comps, 37, 41, a, b)


# --- General rotation ----------------------------------------------------------

def rotate_case(bits, comps, degrees, smooth):
    h, w, dh, dw = 43, 57, 70, 66
    src = picture(bits, h, w, comps, smooth, low=16)
    to, frm = (33.4, 35.7), (27.9, 20.2)
    a = degrees * -0.017453292519943334
    c, s = math.cos(a), math.sin(a)
    px, py = to
    # Source position of destination (x, y).
    inverse = np.array([[c, s, frm[0] - c * px - s * py],
                        [-s, c, frm[1] + s * px - c * py], [0, 0, 1]])
    ys, xs = np.mgrid[0:dh, 0:dw]
    u = inverse[0, 0] * xs + inverse[0, 1] * ys + inverse[0, 2]
    v = inverse[1, 0] * xs + inverse[1, 1] * ys + inverse[1, 2]
    ref = np.stack([transform.warp(src[:, :, k].astype(float), transform.AffineTransform(inverse),
                                   order=1, preserve_range=True, mode="edge",
                                   output_shape=(dh, dw))
                    for k in range(comps)], axis=2)
    name = "rotate %d bits, %d comps, %.1f degrees" % (bits, comps, degrees)

    def then(raw):
        status = struct.unpack("<i", raw[:4])[0]
        if status != 0:
            failures.append("%s: status %d" % (name, status))
            return
        got = np.frombuffer(raw[4:], dtype=dtype_of(bits)).reshape(dh, dw, comps).astype(float)
        written = (got != 0).any(axis=2)
        inner = (u >= 0) & (u <= w - 1) & (v >= 0) & (v <= h - 1)
        # Positions hold 4 decimals, steps 5 and weights 12 bits of a
        # pixel: below 2 LSB at 8 bits, proportionally more where deeper
        # samples change by thousands from one pixel to the next.
        worst = np.abs(got - ref)[inner & written].max()
        if worst > 2 * (1 << max(bits - 8, 0)):
            failures.append("%s: %.2f from skimage warp" % (name, worst))
        # Coverage within a pixel of the source's border.
        near = (u >= -1) & (u <= w) & (v >= -1) & (v <= h)
        deep = (u >= 1) & (u <= w - 2) & (v >= 1) & (v <= h - 2)
        if (written & ~near).any():
            failures.append("%s: writes more than a pixel outside the source" % name)
        if (deep & ~written).any():
            y, x = np.argwhere(deep & ~written)[0]
            failures.append("%s: leaves %d,%d unwritten, a pixel inside the source" % (name, x, y))

    dst = np.zeros((dh, dw, comps), dtype=dtype_of(bits))
    add(["rotate", bits, comps, w, h, dw, dh, degrees, to[0], to[1], frm[0], frm[1]],
        src.tobytes() + dst.tobytes(), then)


for degrees in (30, -17.5, 45, 90, 123.4, 180, 271, 359.5):
    rotate_case(8, 1, degrees, smooth=False)
rotate_case(8, 3, 30, smooth=False)
rotate_case(12, 1, 60, smooth=False)
rotate_case(16, 3, -75, smooth=True)


# --- Rasterisers -----------------------------------------------------------------

def within_one(ours, theirs):
    """Every pixel of each set within one pixel (Chebyshev) of the other."""
    def near(a, b):
        b = np.array(sorted(b))
        return all(np.abs(b - p).max(axis=1).min() <= 1 for p in a)
    return near(ours, theirs) and near(theirs, ours)


def pairs(raw):
    return [tuple(p) for p in np.frombuffer(raw, dtype="<i4").reshape(-1, 2)]


def line_case(x0, y0, x1, y1, four):
    rr, cc = draw.line(y0, x0, y1, x1)
    theirs = list(zip(cc.tolist(), rr.tolist()))
    name = "line %d,%d-%d,%d%s" % (x0, y0, x1, y1, " four-connected" if four else "")

    def then(raw):
        ours = pairs(raw)
        if ours[0] != (x0, y0) or ours[-1] != (x1, y1):
            failures.append("%s: ends %s %s" % (name, ours[0], ours[-1]))
        if not within_one(ours, theirs):
            failures.append("%s: more than a pixel from skimage.draw.line" % name)

    add(["line", x0, y0, x1, y1, int(four)], b"", then)


def ellipse_case(a, b, four):
    rr, cc = draw.ellipse_perimeter(100, 100, b, a)
    theirs = list(zip((cc - 100).tolist(), (rr - 100).tolist()))
    name = "ellipse %dx%d%s" % (a, b, " four-connected" if four else "")

    def then(raw):
        if not within_one(pairs(raw), theirs):
            failures.append("%s: more than a pixel from skimage.draw.ellipse_perimeter" % name)

    add(["ellipse", 0, 0, a, b, int(four)], b"", then)


for x1, y1 in [(17, 5), (-9, 31), (40, -40), (0, 12), (-25, -3), (7, 7), (60, 1)]:
    for four in (False, True):
        line_case(3, -2, 3 + x1, -2 + y1, four)
for a, b in [(5, 5), (20, 7), (7, 20), (33, 32), (60, 3), (1, 12)]:
    for four in (False, True):
        ellipse_case(a, b, four)

data = b"".join(head.encode() + payload for head, payload, _ in requests)
r = subprocess.run([DUMP], input=data, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
if r.returncode != 0:
    print("dump program failed: %s" % r.stderr.decode())
    sys.exit(1)
at = 0
for _, _, then in requests:
    n = struct.unpack("<Q", r.stdout[at:at + 8])[0]
    then(r.stdout[at + 8:at + 8 + n])
    at += 8 + n
if at != len(r.stdout):
    failures.append("dump program wrote %d bytes, expected %d" % (len(r.stdout), at))
for f in failures:
    print(f)
print("%d cases, %d failures" % (len(requests), len(failures)))
sys.exit(1 if failures else 0)
