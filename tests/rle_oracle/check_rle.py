#!/usr/bin/python3
"""The run labelling, filled areas and projections against SciPy and
scikit-image.

Usage: check_rle.py PATH_TO_rle_dump. Exits 77 (skipped) when numpy, scipy
or skimage cannot be imported, 1 when a check fails.

- identifiers and pixel sets equal scipy.ndimage.label with a 3 x 3
  structure (8-connectivity, labels in raster order of first pixels);
- the contour's filled area equals the pixel sum of binary_fill_holes;
- pi/4 (c0 + c2 + (c1 + c3)/sqrt(2)) of the projections equals
  skimage.measure.perimeter_crofton(object, directions=4), and the outer
  projections likewise on the object with its holes filled, for objects
  away from the picture's border.
"""
import math
import os
import struct
import subprocess
import sys
import tempfile

try:
    import numpy as np
    from scipy import ndimage
    from skimage.measure import perimeter_crofton
except ImportError as e:
    print("skipped: %s" % e)
    sys.exit(77)

DUMP = sys.argv[1]
rng = np.random.default_rng(4141)
failures = []
checked = {"pictures": 0, "objects": 0, "perimeters": 0}


def run_dump(fg, bits):
    h, w = fg.shape
    samples = np.zeros((h, w), dtype="<u2")
    top = 255 if bits <= 8 else 65535
    samples[fg] = rng.integers(1, top + 1, size=int(fg.sum()))
    with tempfile.TemporaryDirectory() as d:
        src, dst = os.path.join(d, "in"), os.path.join(d, "out")
        with open(src, "wb") as f:
            f.write(struct.pack("<III", w, h, bits))
            f.write(samples.tobytes())
        subprocess.run([DUMP, src, dst], check=True)
        data = open(dst, "rb").read()
    labels = np.frombuffer(data[: 4 * w * h], dtype="<u4").reshape(h, w)
    pos = 4 * w * h
    (count,) = struct.unpack_from("<I", data, pos)
    pos += 4
    objects = []
    for _ in range(count):
        oid, area = struct.unpack_from("<IQ", data, pos)
        pos += 12
        proj = struct.unpack_from("<4I", data, pos)
        outer = struct.unpack_from("<4I", data, pos + 16)
        pos += 32
        objects.append((oid, area, proj, outer))
    return labels, objects


def crofton_of(c):
    return math.pi / 4 * (c[0] + c[2] + (c[1] + c[3]) / math.sqrt(2))


def check(name, fg, bits, measures=True):
    checked["pictures"] += 1
    labels, objects = run_dump(fg, bits)
    expected, n = ndimage.label(fg, structure=np.ones((3, 3), dtype=int))
    if not np.array_equal(labels, expected):
        failures.append("%s bits %d: label image differs from scipy" % (name, bits))
        return
    if [o[0] for o in objects] != list(range(1, n + 1)):
        failures.append("%s bits %d: identifiers are not 1..%d" % (name, bits, n))
        return
    if not measures:
        return
    h, w = fg.shape
    slices = ndimage.find_objects(expected)
    for (oid, area, proj, outer), sl in zip(objects, slices):
        checked["objects"] += 1
        mask = expected == oid
        filled = ndimage.binary_fill_holes(mask)
        if area != int(filled.sum()):
            failures.append("%s object %d: filled area %d, scipy %d" % (name, oid, area, filled.sum()))
        away = sl[0].start > 0 and sl[1].start > 0 and sl[0].stop < h and sl[1].stop < w
        if not away:
            continue
        checked["perimeters"] += 1
        for what, counts, image in (("projections", proj, mask), ("outer", outer, filled)):
            ours, theirs = crofton_of(counts), perimeter_crofton(image, directions=4)
            if abs(ours - theirs) > 1e-12 * max(1.0, theirs):
                failures.append("%s object %d %s: %r, skimage %r" % (name, oid, what, ours, theirs))


def blobs(h, w, sigma, level):
    noise = ndimage.gaussian_filter(rng.random((h, w)), sigma)
    return noise > np.quantile(noise, level)


# The square of the known value.
square = np.zeros((7, 7), dtype=bool)
square[2:5, 2:5] = True
labels, objects = run_dump(square, 8)
if objects[0][2] != (3, 5, 3, 5) or "%.5f" % crofton_of(objects[0][2]) != "10.26599":
    failures.append("3 x 3 square: %r %r" % (objects[0][2], crofton_of(objects[0][2])))

for density in (0.2, 0.5, 0.8):
    for w in (1, 7, 33, 257):
        for bits in (8, 16, 1):
            h = int(rng.integers(1, 60))
            fg = rng.random((h, w)) < density
            check("random d%.1f w%d" % (density, w), fg, bits, measures=w < 257)
full = rng.random((40, 65)) < 0.5
full[[0, 7, 20, 39], :] = True
for bits in (8, 16, 1):
    check("full rows", full, bits)
for seed in range(6):
    check("blobs %d" % seed, blobs(160, 190, 2.5, 0.55), (8, 16, 1)[seed % 3])
# Labels past the first blocks of every working array.
check("large", rng.random((700, 900)) < 0.5, 16, measures=False)

print("checked %(pictures)d pictures, %(objects)d objects, %(perimeters)d perimeters" % checked)
if checked["perimeters"] < 100:
    failures.append("too few objects away from the border: %d" % checked["perimeters"])
for f in failures[:30]:
    print("FAIL", f)
sys.exit(1 if failures else 0)
