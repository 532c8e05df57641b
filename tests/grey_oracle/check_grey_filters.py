#!/usr/bin/python3
"""The histogram record and the reconstruction passes against NumPy and
scikit-image.

Usage: check_grey_filters.py PATH_TO_grey_filters_dump. Exits 77 (skipped)
when numpy, scipy or skimage cannot be imported, 1 when a check fails. The
dump program runs once, on a batch of requests.
"""
import subprocess
import sys

try:
    import numpy as np
    from scipy import ndimage
    from skimage.morphology import reconstruction
except ImportError as e:
    print("skipped: %s" % e)
    sys.exit(77)

DUMP = sys.argv[1]
failures = []
rng = np.random.default_rng(30)


def dtype_of(bits):
    return np.dtype("<u1") if bits == 8 else np.dtype("<u2")


def random_picture(bits, h, w, comps=1, smooth=False):
    pic = rng.integers(0, 1 << bits, size=(h, w, comps)) if comps > 1 else \
        rng.integers(0, 1 << bits, size=(h, w))
    if smooth:
        # Hills and plateaus, so the reconstruction has regional maxima to find.
        pic = ndimage.uniform_filter(pic.astype(float), size=5, mode="nearest")
        pic = np.floor(pic / (1 << max(bits - 5, 0))) * (1 << max(bits - 5, 0))
    return pic.astype(dtype_of(bits))


requests = []


def add(args, payload, size, then):
    requests.append((" ".join(str(a) for a in args) + "\n", payload, size, then))


def histogram_case(bits, comps, h, w, masked):
    pic = random_picture(bits, h, w, comps)
    mask = (rng.integers(0, 3, size=(h, w)) * (rng.random((h, w)) < 0.5)).astype("u1")
    planes = pic.reshape(h, w, comps)
    keep = mask != 0 if masked else np.ones((h, w), bool)
    bins = 1 << bits
    want = [np.bincount(planes[:, :, c][keep].astype(np.int64), minlength=bins)
            for c in range(comps)]
    total = int(keep.sum())
    low_count, high_count = max(total // 4, 1), max(total // 3, 1)
    payload = pic.tobytes() + (mask.tobytes() if masked else b"")
    size = comps * bins * 8 + (bins * 8 if comps > 1 else 0) + comps * 8
    name = "histo %d bits, %d comps, %dx%d%s" % (bits, comps, w, h, ", masked" if masked else "")

    def then(raw):
        got = np.frombuffer(raw[:comps * bins * 8], dtype="<u8").reshape(comps, bins)
        at = comps * bins * 8
        for c in range(comps):
            if not np.array_equal(got[c], want[c]):
                bad = np.flatnonzero(got[c] != want[c])[0]
                failures.append("%s: comp %d bin %d is %d, np.bincount %d"
                                % (name, c, bad, got[c][bad], want[c][bad]))
        if comps > 1:
            mean = (planes[keep].astype(np.int64).sum(axis=1)) // comps
            want_mean = np.bincount(mean, minlength=bins)
            got_mean = np.frombuffer(raw[at:at + bins * 8], dtype="<u8")
            at += bins * 8
            if not np.array_equal(got_mean, want_mean):
                failures.append("%s: mean plane differs from np.bincount" % name)
        pairs = np.frombuffer(raw[at:], dtype="<u4").reshape(comps, 2)
        for c in range(comps):
            up = np.cumsum(want[c])
            down = np.cumsum(want[c][::-1])
            low = int(np.argmax(up >= low_count)) if up[-1] >= low_count else bins - 1
            high = bins - 1 - int(np.argmax(down >= high_count)) if down[-1] >= high_count else 0
            if (pairs[c][0], pairs[c][1]) != (low, high):
                failures.append("%s: comp %d low/high %s, np.cumsum %s"
                                % (name, c, tuple(pairs[c]), (low, high)))

    add(["histo", bits, comps, w, h, int(masked), low_count, high_count], payload, size, then)


def reconstruction_case(bits, h, w):
    source = random_picture(bits, h, w, smooth=True)
    erosion = ndimage.grey_erosion(source, size=(3, 3), mode="nearest")
    want = source.astype(np.int64) - reconstruction(
        erosion.astype(float), source.astype(float), method="dilation",
        footprint=np.ones((3, 3))).astype(np.int64)
    name = "reconstruction %d bits %dx%d" % (bits, w, h)

    def then(raw):
        got = np.frombuffer(raw, dtype=dtype_of(bits)).reshape(h, w).astype(np.int64)
        if not np.array_equal(got, want):
            y, x = np.argwhere(got != want)[0]
            failures.append("%s: at %d,%d %d, skimage %d" % (name, x, y, got[y, x], want[y, x]))

    add(["recon", bits, w, h], source.tobytes() + erosion.tobytes(),
        h * w * dtype_of(bits).itemsize, then)


for bits, comps, h, w in [(8, 1, 37, 41), (8, 3, 29, 33), (12, 1, 23, 51), (12, 3, 17, 19),
                          (16, 1, 31, 27), (16, 4, 9, 13), (8, 1, 1, 1)]:
    for masked in (False, True):
        histogram_case(bits, comps, h, w, masked)
for bits, h, w in [(8, 45, 39), (8, 3, 3), (12, 31, 57), (16, 47, 33), (16, 5, 71)]:
    reconstruction_case(bits, h, w)

data = b"".join(head.encode() + payload for head, payload, _, _ in requests)
r = subprocess.run([DUMP, "batch"], input=data, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                   check=False)
if r.returncode != 0:
    print("dump program failed: %s" % r.stderr.decode())
    sys.exit(1)
at = 0
for _, _, size, then in requests:
    then(r.stdout[at:at + size])
    at += size
if at != len(r.stdout):
    failures.append("dump program wrote %d bytes, expected %d" % (len(r.stdout), at))
for f in failures:
    print(f)
print("%d cases, %d failures" % (len(requests), len(failures)))
sys.exit(1 if failures else 0)
