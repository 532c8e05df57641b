#!/usr/bin/python3
"""Run-length shifts, intersections, unions, zoomed copies and hole filling
against NumPy and SciPy.

Usage: check_rle_ops.py PATH_TO_rle_ops_dump. Exits 77 (skipped) when numpy
or scipy cannot be imported, 1 when a check fails. The dump program runs
once, on a batch of requests.

- shift-rotations equal np.roll, And np.logical_and, unions and
  intersections np.logical_or / np.logical_and of the non-null pictures;
- painted results are labelled as scipy.ndimage.label with a 3 x 3
  structure (identifiers in raster order of first pixels);
- FillHoles equals binary_fill_holes;
- zoomed copies: a magnified axis shows source floor((z + 0.5) x scale)
  (scale = size / zoomed size, in double), exact inside the window; a
  reduced picture keeps every object within one pixel (Chebyshev) of its
  scaled source pixels, both ways.
"""
import subprocess
import sys

try:
    import numpy as np
    from scipy import ndimage
except ImportError as e:
    print("skipped: %s" % e)
    sys.exit(77)

DUMP = sys.argv[1]
rng = np.random.default_rng(4242)
EIGHT = np.ones((3, 3), dtype=int)
failures = []
requests = []


def add(args, payload, shape, then):
    requests.append((" ".join(str(a) for a in args) + "\n", payload, shape, then))


def labels_of(bits):
    return ndimage.label(bits, structure=EIGHT)[0].astype(np.uint32)


def expect(name, got, want):
    if got.shape != want.shape:
        failures.append("%s: shape %s, expected %s" % (name, got.shape, want.shape))
    elif not np.array_equal(got, want):
        y, x = np.argwhere(got != want)[0]
        failures.append("%s: at %d,%d %d, oracle %d" % (name, x, y, got[y, x], want[y, x]))


def random_bits(h, w, density):
    return rng.random((h, w)) < density


def as_bytes(bits):
    return bits.astype(np.uint8).tobytes()


def shift_cases():
    for h, w in ((1, 1), (5, 9), (17, 33), (40, 61)):
        for painted in (0, 1):
            bits = random_bits(h, w, 0.45)
            for d in "LRUD":
                size = w if d in "LR" else h
                for n in sorted({0, 1, size - 1, size, 2 * size + 3}):
                    axis = 1 if d in "LR" else 0
                    sign = -1 if d in "LU" else 1
                    rolled = np.roll(bits, sign * n, axis=axis)
                    want = labels_of(rolled) if painted else rolled.astype(np.uint32)
                    name = "shift %s %d of %dx%d painted %d" % (d, n, w, h, painted)
                    add(["shift", d, w, h, n, painted], as_bytes(bits), (h, w),
                        lambda got, name=name, want=want: expect(name, got, want))


def and_cases():
    for h, w in ((1, 7), (9, 9), (30, 70)):
        for density in (0.2, 0.5, 0.8):
            a, b = random_bits(h, w, density), random_bits(h, w, density)
            b[h // 2] = False  # a row empty in one of them
            want = np.logical_and(a, b).astype(np.uint32)
            name = "and %dx%d d%.1f" % (w, h, density)
            add(["and", w, h], as_bytes(a) + as_bytes(b), (h, w),
                lambda got, name=name, want=want: expect(name, got, want))


def union_cases():
    for what, fold in (("union", np.logical_or), ("inter", np.logical_and)):
        for present in ((1,), (1, 1), (1, 0, 1, 1), (0, 1, 0), (0, 0)):
            h, w = 23, 37
            pics = [random_bits(h, w, 0.3 if what == "union" else 0.8) for _ in present]
            kept = [p for p, on in zip(pics, present) if on]
            want = labels_of(fold.reduce(kept)) if kept else np.zeros((h, w), np.uint32)
            payload = bytes(present) + b"".join(as_bytes(p) for p, on in zip(pics, present) if on)
            name = "%s of %s" % (what, present)
            add([what, w, h, len(present)], payload, (h, w),
                lambda got, name=name, want=want: expect(name, got, want))


def fill_cases():
    for h, w in ((1, 5), (12, 12), (45, 70)):
        for painted in (0, 1):
            bits = ndimage.binary_opening(random_bits(h, w, 0.6)) if h > 1 else random_bits(h, w, 0.6)
            want = labels_of(ndimage.binary_fill_holes(bits))
            name = "fill %dx%d painted %d" % (w, h, painted)
            add(["fill", w, h, painted], as_bytes(bits), (h, w),
                lambda got, name=name, want=want: expect(name, got, want))


def source_index(zn, n):
    z = np.arange(zn, dtype=np.float64)
    return np.minimum(np.floor((z + 0.5) * (n / zn)).astype(np.int64), n - 1)


def magnify_cases():
    checked = 0
    for h, w, zh, zw in ((10, 12, 20, 24), (10, 12, 17, 29), (31, 23, 45, 23), (7, 5, 64, 11),
                         (40, 40, 41, 97)):
        src = labels_of(random_bits(h, w, 0.4))
        full = src[source_index(zh, h)][:, source_index(zw, w)]
        for ox, oy, ww, wh in ((0, 0, zw, zh), (3, 2, zw // 2, zh // 3), (zw - 4, zh - 5, 9, 9)):
            want = np.zeros_like(full)
            want[oy:oy + wh, ox:ox + ww] = full[oy:oy + wh, ox:ox + ww]
            name = "zoom %dx%d to %dx%d window %d,%d" % (w, h, zw, zh, ox, oy)

            def then(got, name=name, want=want, window=(slice(oy, oy + wh), slice(ox, ox + ww))):
                cut = np.zeros_like(got)
                cut[window] = got[window]
                expect(name, cut, want)
            add(["zoom", w, h, zw, zh, ox, oy, ww, wh], as_bytes(src > 0), (zh, zw), then)
            checked += 1
    return checked


def separated_blobs(h, w):
    # One rectangle at most in each 12 x 12 cell, kept within its inner 6 x 6:
    # six clear pixels apart, so reductions by up to 3 keep objects apart.
    bits = np.zeros((h, w), dtype=bool)
    for cy in range(0, h, 12):
        for cx in range(0, w, 12):
            if rng.random() < 0.75:
                bh, bw = int(rng.integers(1, 7)), int(rng.integers(1, 7))
                y, x = cy + 3 + int(rng.integers(0, 7 - bh)), cx + 3 + int(rng.integers(0, 7 - bw))
                bits[y:y + bh, x:x + bw] = True
    return bits


def reduce_cases():
    for h, w, zh, zw in ((48, 48, 16, 16), (36, 60, 18, 20), (48, 72, 17, 30), (24, 36, 9, 35)):
        bits = separated_blobs(h, w)
        src = labels_of(bits)
        sx, sy = w / zw, h / zh
        name = "reduce %dx%d to %dx%d" % (w, h, zw, zh)

        def then(got, name=name, src=src, sx=sx, sy=sy):
            count = int(src.max())
            for oid in range(1, count + 1):
                ys, xs = np.nonzero(src == oid)
                scaled = np.stack([(xs + 0.5) / sx - 0.5, (ys + 0.5) / sy - 0.5], axis=1)
                gy, gx = np.nonzero(got == oid)
                if len(gx) == 0:
                    failures.append("%s: object %d lost" % (name, oid))
                    continue
                mine = np.stack([gx, gy], axis=1).astype(np.float64)
                d = np.abs(mine[:, None, :] - scaled[None, :, :]).max(axis=2)
                if d.min(axis=1).max() > 1 + 1e-9 or d.min(axis=0).max() > 1 + 1e-9:
                    failures.append("%s: object %d further than one pixel" % (name, oid))
        add(["zoom", w, h, zw, zh, 0, 0, zw, zh], as_bytes(bits), (zh, zw), then)


shift_cases()
and_cases()
union_cases()
fill_cases()
magnify_cases()
reduce_cases()

# Each command line is followed by its input bytes.
payload = b"".join(line.encode() + data for line, data, _, _ in requests)
out = subprocess.run([DUMP], input=payload, stdout=subprocess.PIPE, check=True).stdout
pos = 0
for _, _, shape, then in requests:
    n = shape[0] * shape[1] * 4
    then(np.frombuffer(out[pos:pos + n], dtype="<u4").reshape(shape))
    pos += n
if pos != len(out):
    failures.append("output length %d, expected %d" % (len(out), pos))

print("checked %d requests" % len(requests))
for f in failures[:30]:
    print("FAIL", f)
sys.exit(1 if failures else 0)
