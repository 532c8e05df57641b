#!/usr/bin/python3
"""The SDK's wavelet code against PyWavelets and NumPy transcriptions.

Usage: check_pywt.py PATH_TO_wavelet_dump. Exits 77 (skipped) when pywt or
numpy cannot be imported, 1 when a check fails. The dump program runs twice
(a batch of requests each time) to keep the sanitizer start-up cheap.
"""
import subprocess
import sys
import warnings

try:
    import numpy as np
    import pywt
except ImportError as e:
    print("skipped: %s" % e)
    sys.exit(77)

DUMP = sys.argv[1]
# Deep levels on small planes are the point here, not a mistake.
warnings.filterwarnings("ignore", category=UserWarning)
SQRT2 = np.sqrt(2.0)
COIF_GAIN = SQRT2 * 0.7071  # the Coiflets' 0.7071 against pywt's 1/sqrt(2)
MAD = 1.4825796886582654
failures = []
rng = np.random.default_rng(37)


class Batch:
    """Requests to the dump program: arguments, input bytes, output size."""

    def __init__(self):
        self.requests = []

    def add(self, args, payload, out_bytes, then):
        self.requests.append((" ".join(str(a) for a in args) + "\n", payload, out_bytes, then))

    def run(self):
        data = b"".join(head.encode() + payload for head, payload, _, _ in self.requests)
        r = subprocess.run([DUMP, "batch"], input=data, stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, check=False)
        if r.returncode != 0:
            raise RuntimeError("dump program: %s" % r.stderr.decode())
        at = 0
        for _, _, size, then in self.requests:
            then(r.stdout[at:at + size])
            at += size
        if at != len(r.stdout):
            failures.append("dump program wrote %d bytes, expected %d" % (len(r.stdout), at))


def doubles(raw):
    return np.frombuffer(raw, dtype="<f8")


def check(name, got, want, tol):
    got = np.asarray(got, dtype=float)
    want = np.asarray(want, dtype=float)
    if got.shape != want.shape:
        failures.append("%s: shape %s, expected %s" % (name, got.shape, want.shape))
        return
    err = float(np.max(np.abs(got - want))) if got.size else 0.0
    if not err <= tol:
        failures.append("%s: max error %g above %g" % (name, err, tol))


def gain(family, levels=1):
    return COIF_GAIN ** (2 * levels) if family == "coif" else 1.0


first = Batch()
second = Batch()

# ---- filters: mother and father of Daubechies 1-38, then Coiflets 1-5 --------
FILTERS = [("db", g, 1.0, 1e-15) for g in range(1, 39)] + \
          [("coif", g, COIF_GAIN, 1e-9) for g in range(1, 6)]


def check_filters(raw):
    values = doubles(raw)
    at = 0
    for name, g, scale, tol in FILTERS:
        w = pywt.Wavelet("%s%d" % (name, g))
        n = len(w.rec_lo)
        check("%s%d mother" % (name, g), values[at:at + n], np.array(w.rec_lo) * scale, tol)
        check("%s%d father" % (name, g), values[at + n:at + 2 * n], np.array(w.rec_hi) * scale,
              tol)
        at += 2 * n


first.add(["filters"], b"",
          8 * sum(2 * len(pywt.Wavelet("%s%d" % (n, g)).rec_lo) for n, g, _, _ in FILTERS),
          check_filters)

# ---- one level -----------------------------------------------------------------
ONE_LEVEL = [("db", 1, "db1", 2, 2), ("db", 1, "db1", 6, 4), ("db", 5, "db5", 24, 16),
             ("db", 7, "db7", 96, 128), ("db", 7, "db7", 14, 30), ("db", 38, "db38", 80, 96),
             ("coif", 1, "coif1", 12, 8), ("coif", 3, "coif3", 64, 36)]


def one_level(family, grade, name, w, h):
    x = rng.normal(0.0, 100.0, (h, w))
    tol = (1e-10 if family == "coif" else 1e-12) * np.max(np.abs(x))
    label = "%s %dx%d" % (name, w, h)
    k = gain(family)
    cA, (cH, cV, cD) = pywt.dwt2(x, name, mode="periodization")

    def after_dwt(raw):
        out = doubles(raw).reshape(4, h // 2, w // 2)
        for band, got, want in (("out4=cA", out[3], cA), ("out1=cD", out[0], cD),
                                ("out2=cV", out[1], cV), ("out3=cH", out[2], cH)):
            check("%s %s" % (label, band), got, want * k, tol)
        want = pywt.idwt2((out[3], (out[2], out[1], out[0])), name, mode="periodization")
        second.add(["waverec", family, grade, w, h, 1], raw, 8 * w * h,
                   lambda back: check("%s idwt2" % label, doubles(back).reshape(h, w), want * k,
                                      tol))

    first.add(["dwt", family, grade, w, h], x.astype("<f8").tobytes(), 8 * w * h, after_dwt)


for case in ONE_LEVEL:
    one_level(*case)

# ---- several levels --------------------------------------------------------------
MULTI = [("db", 7, "db7", 224, 112, 3), ("db", 2, "db2", 64, 32, 4),
         ("coif", 1, "coif1", 96, 48, 2)]


def multi_level(family, grade, name, w, h, n):
    x = rng.normal(0.0, 100.0, (h, w))
    tol = (1e-10 if family == "coif" else 1e-12) * np.max(np.abs(x))
    coeffs = pywt.wavedec2(x, name, mode="periodization", level=n)

    def split(values):
        """out1, out2, out3 of levels 1..n, then the approximation."""
        bands, at = [], 0
        for k in range(1, n + 1):
            size = (h >> k) * (w >> k)
            bands.append([values[at + i * size:at + (i + 1) * size].reshape(h >> k, w >> k)
                          for i in range(3)])
            at += 3 * size
        return bands, values[at:].reshape(h >> n, w >> n)

    def after_wavedec(raw):
        bands, approx = split(doubles(raw))
        for k in range(1, n + 1):
            cH, cV, cD = coeffs[n - k + 1]
            for label, got, want in zip(("out1", "out2", "out3"), bands[k - 1], (cD, cV, cH)):
                check("%s wavedec level %d %s" % (name, k, label), got, want * gain(family, k),
                      tol)
        check("%s wavedec approximation" % name, approx, coeffs[0] * gain(family, n), tol)
        # The scaled Coiflets: every synthesis level multiplies by gain() once more.
        a = approx
        for k in range(n, 0, -1):
            d1, d2, d3 = bands[k - 1]
            a = gain(family) * pywt.idwt2((a, (d3, d2, d1)), name, mode="periodization")
        second.add(["waverec", family, grade, w, h, n], raw, 8 * w * h,
                   lambda back: check("%s waverec" % name, doubles(back).reshape(h, w), a, tol))
        if family != "coif":
            check("%s waverec is the input" % name, a, x, tol)

    first.add(["wavedec", family, grade, w, h, n], x.astype("<f8").tobytes(), 8 * w * h,
              after_wavedec)


for case in MULTI:
    multi_level(*case)


# ---- the tile routine ------------------------------------------------------------
def shrink_reference(img, bits, levels, name, resharpen, per_level):
    """Periodic padding, BayesShrink soft thresholds, x1.5 boost, rounding."""
    h, w = img.shape
    step = 1 << levels
    h2, w2 = -(-h // step) * step, -(-w // step) * step
    x = img[np.arange(h2) % h][:, np.arange(w2) % w].astype(float)
    coeffs = pywt.wavedec2(x, name, mode="periodization", level=levels)
    out = [coeffs[0]]
    noise = 0.0
    for k in range(1, levels + 1):
        cH, cV, cD = coeffs[levels - k + 1]
        if k == 1 or per_level:
            mags = np.sort(np.abs(cD).ravel())
            noise = (mags[mags.size // 2] * MAD) ** 2
        bands = []
        for band in (cH, cV, cD):
            s = np.sqrt(max(np.mean(band * band) - noise, 0.0))
            t = 1e300 if s == 0.0 else noise / s
            y = np.sign(band) * np.maximum(np.abs(band) - t, 0.0)
            bands.append(y * 1.5 if resharpen else y)
        out.insert(1, tuple(bands))
    rec = pywt.waverec2(out, name, mode="periodization")
    v = np.trunc(np.clip(rec + 0.5, 0, (1 << bits) - 1))
    return v[:h, :w]


def test_picture(w, h, bits):
    yy, xx = np.mgrid[0:h, 0:w]
    top = (1 << bits) - 1
    clean = top * (0.5 + 0.3 * np.sin(xx / 9.0) * np.cos(yy / 13.0))
    clean[h // 4:h // 2, w // 3:w // 2] = top * 0.9
    noisy = clean + rng.normal(0.0, top * 0.05, clean.shape)
    return np.clip(np.round(noisy), 0, top)


for bits, w, h, levels, per_level, resharpen in [(8, 128, 96, 3, False, False),
                                                 (8, 101, 77, 2, True, False),
                                                 (12, 160, 128, 3, False, False),
                                                 (12, 96, 96, 2, False, True),
                                                 (8, 64, 64, 1, False, True)]:
    img = test_picture(w, h, bits)
    want = shrink_reference(img, bits, levels, "db7", resharpen, per_level)
    label = "tile routine %d bits %dx%d levels %d%s%s" % (
        bits, w, h, levels, " per level" if per_level else "", " resharpen" if resharpen else "")
    first.add(["denoise", bits, w, h, levels, 0, int(resharpen), int(per_level)],
              img.astype("<u2").tobytes(), 2 * w * h,
              lambda raw, want=want, label=label, w=w, h=h: check(
                  label, np.frombuffer(raw, dtype="<u2").reshape(h, w).astype(float), want, 1.0))


# ---- noise estimation ------------------------------------------------------------
def noise_reference(img):
    h, w = img.shape
    x = img[:h & ~1, :w & ~1].astype(float)
    x = x / np.mean(x) * 1000.0
    cA, (cH, cV, cD) = pywt.dwt2(x, "db5", mode="periodization")
    mags = np.sort(np.abs(cD).ravel())
    n = (mags[mags.size // 2] * MAD) ** 2
    s = [np.sqrt(max(np.mean(cD * cD) - n, 0.0)), np.sqrt(np.mean(cV * cV)),
         np.sqrt(np.mean(cH * cH))]
    t = [1e300 if v == 0.0 else n / v for v in s]
    bands = [np.where(np.abs(b) < ti, 0.0, b) for b, ti in zip((cD, cV, cH), t)]
    rec = pywt.idwt2((np.zeros_like(cA), (bands[2], bands[1], bands[0])), "db5",
                     mode="periodization")
    return np.mean((rec - np.mean(rec)) ** 2)


def check_noise(raw, want, label):
    got = doubles(raw)[0]
    if not abs(got - want) <= 1e-9 * abs(want):
        failures.append("%s: %r, expected %r" % (label, got, want))


for bits, w, h in [(8, 64, 64), (8, 131, 97), (12, 128, 160), (16, 200, 66)]:
    img = test_picture(w, h, bits)
    first.add(["noise", bits, w, h], img.astype("<u2").tobytes(), 8,
              lambda raw, want=noise_reference(img), label="noise %d bits %dx%d" % (bits, w, h):
              check_noise(raw, want, label))

first.run()
second.run()
for f in failures:
    print("FAIL", f)
print("%d failures" % len(failures))
sys.exit(1 if failures else 0)
