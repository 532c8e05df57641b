#!/usr/bin/python3
"""Object measurement (both forms) against scikit-image and NumPy.

Usage: check_measurement.py PATH_TO_measure_dump. Exits 77 (skipped) when
numpy, scipy or skimage cannot be imported, 1 when a check fails. The dump
program runs once, on a batch of fields.

Exact: area, perimeter (perimeter_crofton with 4 directions, objects away
from the border), centre, bounding box (label form = regionprops bbox,
run-length form one less at right and bottom), equivalent diameter, mean,
least, greatest intensity and the standard deviation (ddof 1), the set
pixel count. Within tolerances: the maximum Feret diameter at a 1-degree
step (1.5 px) and the solidity (5 %, objects at least 20 px across).
"""
import struct
import subprocess
import sys

try:
    import numpy as np
    from scipy import ndimage
    from skimage.draw import ellipse, polygon
    from skimage.measure import perimeter_crofton, regionprops
except ImportError as e:
    print("skipped: %s" % e)
    sys.exit(77)

DUMP = sys.argv[1]
FEATURES = 86
rng = np.random.default_rng(43)
failures = []
fields = []


def blob_field(h, w):
    bits = rng.random((h, w)) < 0.45
    return ndimage.uniform_filter(bits.astype(float), size=3, mode="nearest") >= 5 / 9 - 1e-9


def shape_field(h, w):
    bits = np.zeros((h, w), bool)
    for _ in range(6):
        r, c = rng.integers(15, h - 15), rng.integers(15, w - 15)
        if rng.random() < 0.5:
            rr, cc = ellipse(r, c, rng.integers(4, 14), rng.integers(4, 14), shape=(h, w),
                             rotation=rng.random() * np.pi)
        else:
            k = rng.integers(3, 7)
            angles = np.sort(rng.random(k) * 2 * np.pi)
            radius = rng.integers(5, 14, size=k)
            rr, cc = polygon(r + radius * np.sin(angles), c + radius * np.cos(angles), (h, w))
        bits[rr, cc] = True
    return bits


def add(bits, depth, cal):
    h, w = bits.shape
    top = 255 if depth == 8 else (1 << depth) - 1
    grey = rng.integers(0, top + 1, size=(h, w)).astype("<u1" if depth == 8 else "<u2")
    fields.append((bits, grey, depth, cal))


for size in [(1, 1), (1, 7), (9, 1), (12, 17), (30, 40), (43, 61)]:
    add(blob_field(*size), 8, 1.0)
    add(blob_field(*size), 12, 0.5)
for _ in range(6):
    add(shape_field(120, 160), 8, 1.0)
    add(shape_field(120, 160), 16, 0.25)

request = b""
for bits, grey, depth, cal in fields:
    h, w = bits.shape
    request += b"measure %d %d %d %r\n" % (w, h, depth, cal)
    request += bits.astype(np.uint8).tobytes() + grey.tobytes()
out = subprocess.run([DUMP], input=request, stdout=subprocess.PIPE, check=True).stdout

at = 0


def take(n):
    global at
    chunk = out[at:at + n]
    at += n
    return chunk


def rows():
    (count,) = struct.unpack("<I", take(4))
    return np.frombuffer(take(count * FEATURES * 8), "<f8").reshape(count, FEATURES)


def close(name, got, want, tol):
    if abs(got - want) > tol:
        failures.append("%s: %r, expected %r" % (name, got, want))


checked = {"perimeter": 0, "feret": 0, "solidity": 0}
for index, (bits, grey, depth, cal) in enumerate(fields):
    h, w = bits.shape
    (size,) = struct.unpack("<Q", take(8))
    if size != np.count_nonzero(bits):
        failures.append("field %d: GetBinarySize %d, count_nonzero %d"
                        % (index, size, np.count_nonzero(bits)))
    labels, n = ndimage.label(bits, structure=np.ones((3, 3), bool))
    props = regionprops(labels)
    for form, table in (("label", rows()), ("runs", rows())):
        if len(table) != n:
            failures.append("field %d %s: %d rows, %d objects" % (index, form, len(table), n))
            continue
        for p, row in zip(props, table):
            name = "field %d %s object %d" % (index, form, p.label)
            obj = labels == p.label
            values = grey[obj].astype(float)
            area = float(p.area)
            close(name + " area", row[0], area * cal * cal, 1e-12 * area)
            close(name + " equivalent diameter", row[3], p.equivalent_diameter * cal, 1e-12 * area)
            close(name + " centre x", row[16], p.centroid[1], 1e-9)
            close(name + " centre y", row[17], p.centroid[0], 1e-9)
            top, left, bottom, right = p.bbox
            if form == "runs":
                right, bottom = right - 1, bottom - 1
            for slot, want in zip((55, 56, 57, 58), (left, right, top, bottom)):
                close(name + " box %d" % slot, row[slot], want, 0)
            close(name + " mean", row[25], values.mean(), 1e-9 * max(1.0, values.mean()))
            close(name + " least", row[49], values.min(), 0)
            close(name + " greatest", row[50], values.max(), 0)
            sd = values.std(ddof=1) if len(values) > 1 else 0.0
            close(name + " deviation", row[27], sd, 1e-7 * max(1.0, sd))
            if top > 0 and left > 0 and p.bbox[2] < h and p.bbox[3] < w:
                want = perimeter_crofton(obj, directions=4) * cal
                close(name + " perimeter", row[6], want, 1e-12 * max(1.0, want))
                checked["perimeter"] += 1
            if area > 1:
                close(name + " maximum Feret", row[10] / cal, p.feret_diameter_max, 1.5)
                checked["feret"] += 1
            across = max(p.bbox[2] - p.bbox[0], p.bbox[3] - p.bbox[1])
            if form == "runs" and across >= 20:
                close(name + " solidity", row[83], p.solidity, 0.05 * p.solidity)
                checked["solidity"] += 1

if at != len(out):
    failures.append("%d bytes left over" % (len(out) - at))
for f in failures[:40]:
    print(f)
print("checked", checked)
if failures:
    print("%d failures" % len(failures))
    sys.exit(1)
print("%d passed, 0 failed" % len(fields))
