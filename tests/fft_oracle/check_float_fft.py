#!/usr/bin/python3
"""The float Fourier transforms, centred spectra and kernel convolutions
against numpy.fft in double precision.

Usage: check_float_fft.py PATH_TO_float_fft_dump. Exits 77 (skipped) when
numpy cannot be imported, 1 when a check fails. The dump program runs once,
on a batch of requests.

Transforms agree when max |ours - NumPy's| <= 1e-5 x max |NumPy's|. The
exp(+...) unscaled transforms are n x ifft, the exp(-...) / n ones fft / n.
"""
import struct
import subprocess
import sys

try:
    import numpy as np
except ImportError as e:
    print("skipped: %s" % e)
    sys.exit(77)

DUMP = sys.argv[1]
failures = []
rng = np.random.default_rng(34)
requests = []
F32 = np.dtype("<f4")


def add(args, payload, then):
    requests.append((" ".join(str(a) for a in args) + "\n", payload, then))


def floats(*arrays):
    return b"".join(np.asarray(a, dtype=F32).tobytes() for a in arrays)


def unpack(answer, *counts):
    status = struct.unpack("<i", answer[:4])[0]
    out, at = [], 4
    for n in counts:
        out.append(np.frombuffer(answer[at:at + 4 * n], dtype=F32).astype(float))
        at += 4 * n
    if at != len(answer):
        failures.append("answer of %d bytes, expected %d" % (len(answer), at))
    return status, out


def close(label, ours, theirs, rel=1e-5):
    scale = max(np.max(np.abs(theirs)), 1e-30)
    worst = np.max(np.abs(ours - theirs))
    if not worst <= rel * scale:
        failures.append("%s: max diff %g, allowed %g" % (label, worst, rel * scale))


def pow2(n):
    p = 1
    while p < n:
        p *= 2
    return p


# --- Transforms ----------------------------------------------------------------

def check_fft1(direction, n):
    x = rng.normal(size=n) + 1j * rng.normal(size=n)
    want = np.fft.fft(x) / n if direction == 1 else n * np.fft.ifft(x)

    def then(answer):
        status, (re, im) = unpack(answer, n, n)
        if status != 0:
            failures.append("fft1 %d %d: status %d" % (direction, n, status))
            return
        close("FFT_1Dx2pn dir %d n %d" % (direction, n), re + 1j * im, want)
    add(["fft1", direction, n], floats(x.real, x.imag), then)


def check_fft2(direction, w, h):
    x = rng.normal(size=(h, w)) + 1j * rng.normal(size=(h, w))
    want = np.fft.fft2(x) / (w * h) if direction == 1 else w * h * np.fft.ifft2(x)

    def then(answer):
        status, (re, im) = unpack(answer, w * h, w * h)
        if status != 0:
            failures.append("fft2 %d %dx%d: status %d" % (direction, w, h, status))
            return
        close("FFT_2Dx2pn2pm dir %d %dx%d" % (direction, w, h),
              (re + 1j * im).reshape(h, w), want)
    add(["fft2", direction, w, h], floats(x.real, x.imag), then)


def check_const(dims, inverse):
    shape = (64,) if dims == 1 else (64, 64)
    n = 64 ** dims
    x = rng.normal(size=shape) + 1j * rng.normal(size=shape)
    if dims == 1:
        want = np.fft.fft(x) / 64 if inverse else 64 * np.fft.ifft(x)
    else:
        want = np.fft.fft2(x) / 4096 if inverse else 4096 * np.fft.ifft2(x)

    def then(answer):
        status, (re, im) = unpack(answer, n, n)
        if status != 0:
            failures.append("const%d: status %d" % (dims, status))
            return
        close("FFT_%dD_ConstSize inverse %d" % (dims, inverse),
              (re + 1j * im).reshape(shape), want)
    add(["const%d" % dims, int(inverse)], floats(x.real.ravel(), x.imag.ravel()), then)


def check_complex2(sign, h, w):
    x = rng.normal(size=(h, w)) + 1j * rng.normal(size=(h, w))
    want = h * w * np.fft.ifft2(x) if sign >= 0 else np.fft.fft2(x)
    pairs = np.stack([x.real, x.imag], axis=-1).ravel()

    def then(answer):
        status, (out,) = unpack(answer, 2 * h * w)
        pairs_out = out.reshape(h, w, 2)
        close("ComplexFFT2D sign %d %dx%d" % (sign, h, w),
              pairs_out[..., 0] + 1j * pairs_out[..., 1], want)
    add(["complex2", sign, h, w], floats(pairs), then)


for direction in (1, 0):
    for n in (1, 2, 8, 64, 1024, 4096):
        check_fft1(direction, n)
    for w, h in ((8, 4), (64, 128), (256, 256), (1, 16), (16, 1)):
        check_fft2(direction, w, h)
for dims in (1, 2):
    for inverse in (False, True):
        check_const(dims, inverse)
for sign in (1, -1):
    for h, w in ((1, 1), (2, 8), (16, 4), (128, 64), (512, 256)):
        check_complex2(sign, h, w)


# --- Centred spectra -----------------------------------------------------------
# The source centred in the power-of-two planes and repeated periodically,
# the exp(+...) transform unscaled, zero frequency moved to the middle, the
# central part of the amplitude's size kept; phase in [0, 2 pi).

def centred_spectrum(plane, aw, ah):
    h, w = plane.shape
    pw, ph = pow2(aw), pow2(ah)
    ox, oy = (pw - w) // 2, (ph - h) // 2
    padded = np.pad(plane, ((oy, ph - h - oy), (ox, pw - w - ox)), mode="wrap")
    spectrum = np.fft.fftshift(pw * ph * np.fft.ifft2(padded))
    x0, y0 = (pw - aw) // 2, (ph - ah) // 2
    return spectrum[y0:y0 + ah, x0:x0 + aw]


def check_spectrum(w, h, aw, ah, comps, acomps):
    src = rng.uniform(0, 200, size=(h, w, comps)).astype(F32)

    def then(answer):
        status, (amp, phase) = unpack(answer, aw * ah * acomps, aw * ah * acomps)
        label = "FFT_Image %dx%dx%d into %dx%dx%d" % (w, h, comps, aw, ah, acomps)
        if status != 0:
            failures.append("%s: status %d" % (label, status))
            return
        amp = amp.reshape(ah, aw, acomps)
        phase = phase.reshape(ah, aw, acomps)
        for c in range(acomps):
            plane = src[..., c] if acomps == comps else src.astype(float).mean(axis=2)
            want = centred_spectrum(plane.astype(float), aw, ah)
            close(label + " amplitude %d" % c, amp[..., c], np.abs(want))
            if np.any((phase[..., c] < 0) | (phase[..., c] >= 2 * np.pi)):
                failures.append(label + ": phase outside [0, 2 pi)")
            strong = np.abs(want) > 1e-3 * np.max(np.abs(want))
            turn = np.angle(np.exp(1j * (phase[..., c] - np.angle(want))))
            worst = np.max(np.abs(turn[strong]))
            if worst > 1e-3:
                failures.append("%s phase %d: max diff %g rad" % (label, c, worst))
    add(["spectrum", w, h, aw, ah, comps, acomps], floats(src.ravel()), then)


def check_inverse(aw, ah, comps, dw, dh):
    amp = rng.uniform(0, 50, size=(ah, aw, comps))
    amp[ah // 2, aw // 2, :] = 1e4  # a strong mean keeps most results positive
    phase = rng.uniform(0, 2 * np.pi, size=(ah, aw, comps))

    def then(answer):
        status, (out,) = unpack(answer, dw * dh * comps)
        label = "IFFT_Image %dx%dx%d into %dx%d" % (aw, ah, comps, dw, dh)
        if status != 0:
            failures.append("%s: status %d" % (label, status))
            return
        out = out.reshape(dh, dw, comps)
        pw, ph = pow2(aw), pow2(ah)
        ox, oy = (pw - aw) // 2, (ph - ah) // 2
        x0, y0 = (pw - dw) // 2, (ph - dh) // 2
        for c in range(comps):
            z = np.zeros((ph, pw), dtype=complex)
            z[oy:oy + ah, ox:ox + aw] = amp[..., c] * np.exp(1j * phase[..., c])
            full = np.fft.fft2(np.fft.ifftshift(z)) / (pw * ph)
            want = full.real[y0:y0 + dh, x0:x0 + dw]
            scale = np.max(np.abs(full))
            got = out[..., c]
            worst = np.max(np.abs(got - np.maximum(want, 0)))
            if worst > 1e-5 * scale:
                failures.append("%s comp %d: max diff %g, allowed %g"
                                % (label, c, worst, 1e-5 * scale))
    add(["inverse", aw, ah, comps, dw, dh], floats(amp.ravel(), phase.ravel()), then)


def centred_inverse(spectrum, dw, dh):
    """IFFT_Image of a centred spectrum: zero-padded, unshifted, exp(-...)
    / (W H), the real part cropped; results at or below 0 become 0."""
    ah, aw = spectrum.shape
    pw, ph = pow2(aw), pow2(ah)
    ox, oy = (pw - aw) // 2, (ph - ah) // 2
    z = np.zeros((ph, pw), dtype=complex)
    z[oy:oy + ah, ox:ox + aw] = spectrum
    full = np.fft.fft2(np.fft.ifftshift(z)) / (pw * ph)
    x0, y0 = (pw - dw) // 2, (ph - dh) // 2
    return np.maximum(full.real[y0:y0 + dh, x0:x0 + dw], 0), np.max(np.abs(full))


def check_pair(op, w, h, comps):
    names = ("Correlation", "Convolution", "Deconvolution")
    a = rng.uniform(0, 100, size=(h, w, comps)).astype(F32)
    if op == 2:
        # A divisor spectrum far from 0 (an impulse with a little noise):
        # dividing by small spectra would amplify float rounding instead.
        b = rng.uniform(0, 1e-3, size=(h, w, comps))
        b[h // 2, w // 2, :] += 10
        b = b.astype(F32)
    else:
        b = rng.uniform(0, 100, size=(h, w, comps)).astype(F32)

    def then(answer):
        status, (out,) = unpack(answer, w * h * comps)
        label = "%s %dx%dx%d" % (names[op], w, h, comps)
        if status != 0:
            failures.append("%s: status %d" % (label, status))
            return
        out = out.reshape(h, w, comps)
        for c in range(comps):
            sa = centred_spectrum(a[..., c].astype(float), w, h)
            sb = centred_spectrum(b[..., c].astype(float), w, h)
            combined = (sa * np.conj(sb), sa * sb, sa / sb)[op]
            want, scale = centred_inverse(combined, w, h)
            # Phases come from acos(re / amplitude), which loses up to
            # sqrt(2 x float epsilon) ~ 3e-4 rad near 0 and pi; a quotient
            # carries that error whole, a product is dominated by its peak.
            allowed = (1e-5 if op < 2 else 1e-3) * scale
            worst = np.max(np.abs(out[..., c] - want))
            if worst > allowed:
                failures.append("%s comp %d: max diff %g, allowed %g"
                                % (label, c, worst, allowed))
    add(["pair", op, w, h, comps], floats(a.ravel(), b.ravel()), then)


for op in (0, 1, 2):
    for w, h, comps in ((64, 32, 1), (50, 37, 3), (16, 16, 1)):
        check_pair(op, w, h, comps)

for args in ((100, 60, 100, 60, 1, 1), (100, 60, 128, 64, 3, 3), (37, 21, 40, 30, 3, 1),
             (64, 64, 64, 64, 1, 1), (5, 3, 7, 3, 1, 1)):
    check_spectrum(*args)
for args in ((100, 60, 1, 100, 60), (64, 32, 3, 50, 20), (9, 5, 1, 9, 5)):
    check_inverse(*args)


# --- Statistics and box smoothing ----------------------------------------------

def check_stat(w, h, comps, rect):
    src = rng.normal(50, 20, size=(h, w, comps)).astype(F32)
    left, top, right, bottom = rect

    def then(answer):
        status, (mn, mx, mean, dev, med) = unpack(answer, *([comps] * 5))
        label = "GetStat %dx%dx%d %s" % (w, h, comps, rect)
        if status != 0:
            failures.append("%s: status %d" % (label, status))
            return
        block = src[top:bottom, left:right, :].reshape(-1, comps).astype(float)
        for c in range(comps):
            values = np.sort(block[:, c])
            exact = ((mn[c], values[0], "min"), (mx[c], values[-1], "max"),
                     (med[c], values[values.size // 2], "median"))
            for got, want, name in exact:
                if got != want:
                    failures.append("%s %s comp %d: %r, NumPy %r" % (label, name, c, got, want))
            # Sums run in float, as the operations are defined: over 4096
            # values their rounding reaches a few 1e-6 of the mean.
            near = ((mean[c], values.mean(), "mean"), (dev[c], values.std(ddof=1), "deviation"))
            for got, want, name in near:
                if abs(got - want) > 2e-5 * abs(want):
                    failures.append("%s %s comp %d: %r, NumPy %r" % (label, name, c, got, want))
    add(["stat", w, h, comps, left, top, right, bottom], floats(src.ravel()), then)


def check_box(size, w, h, comps):
    src = rng.uniform(0, 1000, size=(h, w, comps)).astype(F32)

    def then(answer):
        status, (out,) = unpack(answer, w * h * comps)
        label = "Smooth box %d on %dx%dx%d" % (size, w, h, comps)
        if status != 0:
            failures.append("%s: status %d" % (label, status))
            return
        out = out.reshape(h, w, comps)
        half = size // 2
        want = np.empty((h, w, comps))
        for y in range(h):
            for x in range(w):
                window = src[max(y - half, 0):min(y - half + size, h),
                             max(x - half, 0):min(x - half + size, w), :].astype(float)
                want[y, x, :] = window.reshape(-1, comps).mean(axis=0)
        worst = np.max(np.abs(out - want) / np.maximum(np.abs(want), 1e-30))
        if worst > 1e-5:
            failures.append("%s: max relative diff %g" % (label, worst))
    add(["smooth", 0, size, w, h, comps], floats(src.ravel()), then)


for w, h, comps, rect in ((64, 64, 1, (0, 0, 64, 64)), (40, 30, 3, (5, 3, 33, 29)),
                          (17, 9, 2, (16, 0, 17, 9)), (8, 8, 1, (2, 2, 4, 3))):
    check_stat(w, h, comps, rect)
for size, w, h, comps in ((3, 30, 20, 1), (5, 17, 11, 3), (4, 9, 9, 1), (7, 6, 5, 2)):
    check_box(size, w, h, comps)


# --- Kernel convolution --------------------------------------------------------
# A correlation (the kernel not flipped) over the edge-replicated picture,
# through NumPy's transforms, then rounded half up and held to the depth.

def correlate(plane, kernel):
    k = kernel.shape[0]
    h = k // 2
    padded = np.pad(plane, h, mode="edge")
    size = (padded.shape[0] + k - 1, padded.shape[1] + k - 1)
    full = np.fft.irfft2(np.fft.rfft2(padded, size) * np.fft.rfft2(kernel[::-1, ::-1], size),
                         size)
    return full[k - 1:k - 1 + plane.shape[0], k - 1:k - 1 + plane.shape[1]]


def store(v, top):
    return np.clip(np.trunc(v + 0.5), 0, top)


def percentile_range(v, low, high):
    """The histogram walk over integer bins, transcribed."""
    lo = float(np.float32(np.trunc(v.min() - 1)))
    hi = float(np.float32(np.trunc(v.max() + 1)))
    bins = int(hi - lo) + 1
    if hi - lo > 70000:
        v = stretch_map(v, lo, hi, 65535)
        lo, hi, bins = 0.0, 65535.0, 65540
    idx = np.clip(np.trunc(v - lo + 0.5), 0, bins - 1).astype(np.int64)
    hist = np.bincount(idx.ravel(), minlength=bins)
    i, total = 0, 0.0
    while total < v.size * low and i < bins:
        total += hist[i]
        i += 1
    j, total = bins - 1, 0.0
    while total < v.size * (1 - high) and j >= 0:
        total += hist[j]
        j -= 1
    return v, i + lo, j + lo


def stretch_map(v, lo, hi, top):
    middle = np.float32((lo + hi) / 2)
    scale = np.float32(top / (hi - lo))
    return np.clip((v - middle) * scale + np.float32(top / 2), 0, top)


def check_kconv(form, bits, comps, w, h, k, divisor, stretch):
    top = (1 << bits) - 1
    dtype = np.dtype("<u1") if bits <= 8 else np.dtype("<u2")
    src = rng.integers(0, top + 1, size=(h, w, comps)).astype(dtype)
    kernel = rng.integers(-3, 11, size=(k, k)).astype(np.int32)
    if divisor is None:
        divisor = max(int(kernel.sum()), 1)

    def then(answer):
        status = struct.unpack("<i", answer[:4])[0]
        label = "%s %d bits %d comps %dx%d k %d stretch %d" % (
            "ConvolutionWithFFT" if form else "Convolution", bits, comps, w, h, k, stretch)
        if status != 0:
            failures.append("%s: status %d" % (label, status))
            return
        ours = np.frombuffer(answer[4:], dtype=dtype).reshape(h, w, comps).astype(float)
        weights = kernel / float(divisor if divisor else 1)
        results = np.stack([correlate(src[..., c].astype(float), weights)
                            for c in range(comps)], axis=-1)
        allowed = 1
        if stretch:
            results, lo, hi = percentile_range(results, 0.001, 0.999)
            results = stretch_map(results, lo, hi, top)
            allowed = 2  # float sums may move a value across a bin edge
        worst = np.max(np.abs(ours - store(results, top)))
        if worst > allowed:
            failures.append("%s: max diff %g" % (label, worst))
    add(["kconv", form, bits, comps, w, h, k, divisor, int(stretch)],
        kernel.tobytes() + src.tobytes(), then)


for form in (0, 1):
    for bits, comps, w, h, k, divisor in ((8, 1, 200, 70, 5, None), (8, 3, 97, 64, 3, None),
                                          (12, 1, 130, 61, 15, None), (16, 1, 70, 65, 31, None),
                                          (12, 3, 40, 33, 9, 0), (8, 1, 3, 2, 7, None)):
        for stretch in (False, True):
            check_kconv(form, bits, comps, w, h, k, divisor, stretch)


data = b"".join(line.encode() + payload for line, payload, _ in requests)
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
