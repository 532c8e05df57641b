#!/usr/bin/python3
"""The Hilbert transforms of picture buffers against scipy.signal.hilbert.

Usage: check_hilbert.py PATH_TO_hilbert_dump. Exits 77 (skipped) when numpy
or scipy cannot be imported, 1 when a check fails.

Along the lines (0 and 180 degrees) or columns (90 degrees) of a picture
whose sides are powers of two, the 2-D form is the imaginary part of the
analytic signal of every line (negated at 180) plus the line's mean, held
to the depth and rounded. The line form at 0 and 90 degrees transforms
each whole line or column, the mean dropped, after nearest-sample
resampling to a power of two and back, and keeps the integer part.
"""
import struct
import subprocess
import sys

try:
    import numpy as np
    from scipy import ndimage
    from scipy.signal import hilbert
except ImportError as e:
    print("skipped: %s" % e)
    sys.exit(77)

DUMP = sys.argv[1]
rng = np.random.default_rng(35)
failures = []
requests = []


def picture(bits, h, w):
    top = (1 << bits) - 1
    pic = rng.integers(0, top + 1, size=(h, w)).astype(float)
    pic = ndimage.gaussian_filter(pic, sigma=1.5, mode="wrap")
    pic = top * 0.2 + (pic - pic.min()) * (top * 0.6) / max(pic.max() - pic.min(), 1)
    return np.round(pic).astype("<u1" if bits <= 8 else "<u2")


def transform_2d(pic, axis, sign, top):
    f = pic.astype(float)
    h = np.imag(hilbert(f, axis=axis)) * sign + f.mean(axis=axis, keepdims=True)
    return np.clip(np.floor(np.clip(h, 0, None) + 0.5), 0, top)


def transform_lines(pic, top):
    out = np.zeros(pic.shape)
    length = pic.shape[1]
    n = 1
    while n < length:
        n *= 2
    for y, line in enumerate(pic.astype(float)):
        wide = line[(np.arange(n) * length) // n]
        h = np.imag(hilbert(wide))
        out[y] = np.clip(np.trunc(h[(np.arange(length) * n) // length]), 0, top)
    return out


def add(bits, pic, angle, old, want):
    h, w = pic.shape
    label = "%s %d bits %dx%d at %g" % ("Hilbert_OLD" if old else "Hilbert", bits, w, h, angle)

    def then(answer):
        status = struct.unpack("<i", answer[:4])[0]
        if status != 0:
            failures.append("%s: status %d" % (label, status))
            return
        got = np.frombuffer(answer[4:], dtype=pic.dtype).reshape(h, w).astype(float)
        worst = np.max(np.abs(got - want))
        if worst > 1:
            y, x = np.unravel_index(np.argmax(np.abs(got - want)), got.shape)
            failures.append("%s: %g off at %d,%d (%g for %g)" % (label, worst, x, y,
                                                                 got[y, x], want[y, x]))

    line = "%d %d %d %r %d\n" % (bits, w, h, angle, 1 if old else 0)
    requests.append((line.encode() + pic.tobytes(), then))


for bits in (8, 12, 16):
    top = (1 << bits) - 1
    for h, w in ((32, 64), (16, 128), (64, 64)):
        pic = picture(bits, h, w)
        add(bits, pic, 0.0, False, transform_2d(pic, 1, 1, top))
        add(bits, pic, 180.0, False, transform_2d(pic, 1, -1, top))
        add(bits, pic, 90.0, False, transform_2d(pic, 0, 1, top))
        add(bits, pic, 0.0, True, transform_lines(pic, top))
        add(bits, pic, 90.0, True, transform_lines(pic.T, top).T)
    pic = picture(bits, 7, 50)
    add(bits, pic, 0.0, True, transform_lines(pic, top))

data = b"".join(r[0] for r in requests)
r = subprocess.run([DUMP], input=data, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
if r.returncode != 0:
    print("dump program failed: %s" % r.stderr.decode())
    sys.exit(1)
at = 0
for _, then in requests:
    n = struct.unpack("<Q", r.stdout[at:at + 8])[0]
    then(r.stdout[at + 8:at + 8 + n])
    at += 8 + n
if at != len(r.stdout):
    failures.append("dump program wrote %d bytes, expected %d" % (len(r.stdout), at))
for f in failures:
    print(f)
print("%d cases, %d failures" % (len(requests), len(failures)))
sys.exit(1 if failures else 0)
