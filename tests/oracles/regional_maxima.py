#!/usr/bin/python3
"""RegionalMaxima and RegionalMinima against scikit-image's reconstruction.

Usage: regional_maxima.py DIR, where make_regional_maxima_cases wrote the
cases (cases.txt and the NAME.src, NAME.ero, NAME.out pictures). For each
case the erosion is recomputed here with NumPy (the kernel's set elements at
their offsets from its centre, the picture's edge repeated, count times) and
must equal the SDK's; the result must equal
    x - reconstruction(erosion, x, footprint=ones((3, 3)))
with x the source for max and 2^bits - 1 - source for min. Exits 77
(skipped) when numpy or skimage cannot be imported, 1 when a check fails.
"""
import os
import sys

try:
    import numpy as np
    from skimage.morphology import reconstruction
except ImportError as e:
    print("skipped: %s" % e)
    sys.exit(77)

DIR = sys.argv[1]


def load(name, suffix, bits, w, h):
    dtype = np.dtype("<u1") if bits == 8 else np.dtype("<u2")
    raw = np.fromfile(os.path.join(DIR, name + suffix), dtype=dtype)
    if raw.size != w * h:
        raise ValueError("%s%s holds %d samples, expected %d" % (name, suffix, raw.size, w * h))
    return raw.reshape(h, w).astype(np.int64)


def erode(pic, mask, centre_row, centre_col):
    h, w = pic.shape
    rows, cols = mask.shape
    pad = max(rows, cols)
    padded = np.pad(pic, pad, mode="edge")
    out = np.full_like(pic, np.iinfo(np.int64).max)
    for i in range(rows):
        for j in range(cols):
            if mask[i, j]:
                dy, dx = i - centre_row, j - centre_col
                out = np.minimum(out, padded[pad + dy:pad + dy + h, pad + dx:pad + dx + w])
    return out


def first_difference(got, want):
    y, x = np.argwhere(got != want)[0]
    return "at %d,%d %d, expected %d" % (x, y, got[y, x], want[y, x])


failures = []
cases = 0
with open(os.path.join(DIR, "cases.txt")) as listing:
    for line in listing:
        name, op, *numbers, mask_text = line.split()
        bits, w, h, count, rows, cols, centre_row, centre_col = map(int, numbers)
        mask = np.array([c == "1" for c in mask_text], dtype=bool).reshape(rows, cols)
        src = load(name, ".src", bits, w, h)
        x = src if op == "max" else (1 << bits) - 1 - src
        marker = x
        for _ in range(count):
            marker = erode(marker, mask, centre_row, centre_col)
        cases += 1
        sdk_erosion = load(name, ".ero", bits, w, h)
        if not np.array_equal(sdk_erosion, marker):
            failures.append("%s: erosion %s" % (name, first_difference(sdk_erosion, marker)))
            continue
        grown = reconstruction(marker.astype(float), x.astype(float), method="dilation",
                               footprint=np.ones((3, 3)))
        want = x - grown.astype(np.int64)
        got = load(name, ".out", bits, w, h)
        if not np.array_equal(got, want):
            failures.append("%s: regional %s %s" % (name, op, first_difference(got, want)))
for f in failures:
    print(f)
print("%d cases, %d failures" % (cases, len(failures)))
sys.exit(1 if failures or cases == 0 else 0)
