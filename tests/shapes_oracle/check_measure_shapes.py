#!/usr/bin/python3
"""Seed fill, labelling, hole filling, cleaning, reconstruction, ultimate
erosion and convex hulls against SciPy and scikit-image.

Usage: check_measure_shapes.py PATH_TO_shapes_dump. Exits 77 (skipped) when
numpy, scipy or skimage cannot be imported, 1 when a check fails. The dump
program runs once, on a batch of requests.
"""
import struct
import subprocess
import sys

try:
    import numpy as np
    from scipy import ndimage
    from skimage.draw import polygon
    from skimage.morphology import convex_hull_object, h_maxima, local_maxima
    from skimage.segmentation import flood
except ImportError as e:
    print("skipped: %s" % e)
    sys.exit(77)

DUMP = sys.argv[1]
failures = []
rng = np.random.default_rng(39)
EIGHT = np.ones((3, 3), bool)
FOUR = ndimage.generate_binary_structure(2, 1)
SIZES = [(1, 1), (1, 9), (7, 1), (5, 7), (17, 33), (43, 61), (9, 128)]


def dtype_of(bits):
    return np.dtype("<u1") if bits == 8 else np.dtype("<u2")


def random_bits(h, w, blobs):
    bits = rng.random((h, w)) < 0.45
    if blobs:
        # Blobs with holes and thin joins.
        bits = ndimage.uniform_filter(bits.astype(float), size=3, mode="nearest") >= 5 / 9 - 1e-9
    return bits


requests = []


def add(args, payload, size, then):
    requests.append((" ".join(str(a) for a in args) + "\n", payload, size, then))


def first_difference(name, got, want):
    if got.shape != want.shape:
        failures.append("%s: shape %s, expected %s" % (name, got.shape, want.shape))
        return
    if not np.array_equal(got, want):
        y, x = np.argwhere(got != want)[0]
        failures.append("%s: at %d,%d %d, oracle %d" % (name, x, y, got[y, x], want[y, x]))


def paint_case(bits, h, w, connectivity, blobs):
    pic = (random_bits(h, w, blobs) * (1 + rng.integers(0, 2, size=(h, w)))).astype(dtype_of(bits))
    y, x = int(rng.integers(0, h)), int(rng.integers(0, w))
    new = 200 if bits == 8 else 40000
    region = flood(pic, (y, x), connectivity=1 if connectivity == 4 else 2, tolerance=0)
    want = pic.copy()
    want[region] = new
    name = "paint %d bits %dx%d at %d,%d, %d-connected" % (bits, w, h, x, y, connectivity)
    size = 4 + 8 + h * w * dtype_of(bits).itemsize

    def then(raw):
        status, count = struct.unpack("<iQ", raw[:12])
        if status != 0 or count != int(region.sum()):
            failures.append("%s: status %d count %d, flood %d" % (name, status, count,
                                                                  region.sum()))
        first_difference(name, np.frombuffer(raw[12:], dtype_of(bits)).reshape(h, w), want)

    add(["paint", bits, w, h, x, y, connectivity, new], pic.tobytes(), size, then)


def label_case(h, w, connectivity, blobs):
    objects = random_bits(h, w, blobs)
    pic = (objects * 65535).astype("<u2")
    want, _ = ndimage.label(objects, structure=EIGHT if connectivity == 8 else FOUR)
    name = "label %dx%d, %d-connected" % (w, h, connectivity)

    def then(raw):
        status = struct.unpack("<i", raw[:4])[0]
        if status != 0:
            failures.append("%s: status %d" % (name, status))
        first_difference(name, np.frombuffer(raw[4:], "<u2").reshape(h, w).astype(np.int64),
                         want.astype(np.int64))

    add(["label", w, h, connectivity], pic.tobytes(), 4 + h * w * 2, then)


def bits_case(args, pictures, want, name):
    h, w = want.shape

    def then(raw):
        first_difference(name, np.frombuffer(raw, "u1").reshape(h, w).astype(np.int64),
                         want.astype(np.int64))

    add(args, b"".join(p.astype("u1").tobytes() for p in pictures), h * w, then)


def reconstruct(marker, mask):
    labels, _ = ndimage.label(mask, structure=EIGHT)
    keep = np.unique(labels[marker & mask])
    return np.isin(labels, keep[keep > 0])


def clean(source, count, objects):
    h, w = source.shape
    n = min(count, max(h, w) // 2)
    s = source if objects else ~source
    # n passes of the 3 x 3 erosion with the edge repeated outside.
    eroded = ndimage.minimum_filter(s.astype("u1"), size=2 * n + 1, mode="nearest") != 0
    kept = reconstruct(eroded, s)
    return kept if objects else ~kept


def erode(bits, offsets):
    """One erosion step: every (dx, dy) neighbour set, coordinates outside
    clamped to the picture."""
    r = max(max(abs(dx), abs(dy)) for dx, dy in offsets)
    padded = np.pad(bits, r, mode="edge")
    h, w = bits.shape
    out = np.ones_like(bits)
    for dx, dy in offsets:
        out &= padded[r + dy:r + dy + h, r + dx:r + dx + w]
    return out


def square(lo, hi):
    return [(dx, dy) for dy in range(lo, hi + 1) for dx in range(lo, hi + 1)]


CROSS = [(0, 0), (1, 0), (-1, 0), (0, 1), (0, -1)]


def clean_erosion_pass(bits, shape, k):
    """Pass k of the erosions of the cleaning: the 2 x 2 square and the 4 x 4
    octagon start from their flag true (offsets -1..0) and swap it each
    pass; the octagons are a square step then a cross step."""
    two = square(-1, 0) if k % 2 == 0 else square(0, 1)
    if shape == "2x2":
        return erode(bits, two)
    if shape == "3x3":
        return erode(bits, square(-1, 1))
    if shape == "4x4oct":
        return erode(erode(bits, two), CROSS)
    return erode(erode(bits, square(-1, 1)), CROSS)


def clean_by(shape, source, count, objects):
    h, w = source.shape
    n = min(count, max(h, w) // 2)
    s = source if objects else ~source
    eroded = s.copy()
    for k in range(n):
        eroded = clean_erosion_pass(eroded, shape, k)
    kept = reconstruct(eroded, s)
    return kept if objects else ~kept


def ultimate_case(h, w, passes):
    smooth = ndimage.uniform_filter(rng.random((h, w)) * 60, size=5, mode="nearest")
    pic = np.floor(smooth).astype("<u2")
    pic[rng.random((h, w)) < 0.05] = 0
    name = "ultimate %dx%d, %d passes" % (w, h, passes)

    def then(raw):
        got = np.frombuffer(raw, "<u2").reshape(h, w).astype(np.int64)
        if pic.min() == pic.max():
            # scikit-image finds no maxima on a flat picture; here a flat
            # picture above 0 is one regional maximum.
            first_difference(name, got, np.where(pic > 0, passes, 0))
            return
        if passes == 1:
            want = local_maxima(pic, connectivity=2, allow_borders=True) & (pic > 0)
            first_difference(name, got, want.astype(np.int64))
            return
        if np.any((got != 0) & (got != passes)):
            failures.append("%s: a mark other than %d" % (name, passes))
        marks, count = ndimage.label(got == passes, structure=EIGHT)
        # n - 1 rounds of sinking by one merge every maximum less than n
        # above its saddle: the maxima left are those at least n high.
        if np.ptp(pic) >= passes:
            peaks = h_maxima(pic, passes).astype(bool) & (pic > 0)
        else:
            peaks = pic == pic.max()  # h_maxima then finds none
        peak_labels, peak_count = ndimage.label(peaks, structure=EIGHT)
        for m in range(1, count + 1):
            if not np.any(peaks[marks == m]):
                failures.append("%s: marked region %d meets no h-maximum" % (name, m))
        held = sum(1 for p in range(1, peak_count + 1) if np.any(marks[peak_labels == p]))
        if peak_count and held < 0.9 * peak_count:
            failures.append("%s: %d of %d h-maxima marked" % (name, held, peak_count))

    add(["ultimate", w, h, passes], pic.tobytes(), h * w * 2, then)


def hull_case(h, w, step):
    # A few objects at least 40 pixels across: random polygons, some hollow.
    # (At 20 the 4-connected outline, a staircase on both sides of each
    # slanted edge, keeps the overlap near 0.93.)
    source = np.zeros((h, w), bool)
    for k in range(3):
        top, left = int(rng.integers(0, h - 44)), int(rng.integers(0, w - 44))
        rows = top + rng.integers(0, 44, size=6)
        cols = left + rng.integers(0, 44, size=6)
        rows[:2], cols[:2] = (top, top + 43), (left, left + 43)
        rr, cc = polygon(rows, cols, (h, w))
        shape = np.zeros((h, w), bool)
        shape[rr, cc] = True
        if k == 1:
            shape &= ~ndimage.binary_erosion(shape, iterations=3)
        if shape[1:-1, 1:-1].any():
            labels, _ = ndimage.label(shape, structure=EIGHT)
            sizes = np.bincount(labels.ravel())
            sizes[0] = 0
            source |= labels == sizes.argmax()
    want = convex_hull_object(source, connectivity=2)
    name = "hull %dx%d step %d" % (w, h, step)

    def then(raw):
        got = np.frombuffer(raw, "u1").reshape(h, w) != 0
        both, either = np.sum(got & want), np.sum(got | want)
        if either and both < 0.95 * either:
            failures.append("%s: IoU %.3f with convex_hull_object, %d extra %d missing of %d" % (name, both / either, np.sum(got & ~want), np.sum(want & ~got), np.sum(want)))

    add(["hull", w, h, step], source.astype("u1").tobytes(), h * w, then)


for h, w in [(61, 67), (80, 95), (47, 129)]:
    for trial in range(4):
        hull_case(h, w, 1)
for h, w in SIZES:
    for blobs in (False, True):
        for bits in (8, 16):
            for connectivity in (4, 8):
                paint_case(bits, h, w, connectivity, blobs)
        for connectivity in (4, 8):
            label_case(h, w, connectivity, blobs)
        source = random_bits(h, w, blobs)
        bits_case(["fillholes", w, h], [source], ndimage.binary_fill_holes(source),
                  "fillholes %dx%d" % (w, h))
        for count in (1, 2):
            for objects in (True, False):
                bits_case(["clean", w, h, count, int(objects)], [source],
                          clean(source, count, objects),
                          "clean3x3 %dx%d count %d objects %s" % (w, h, count, objects))
        marker = rng.random((h, w)) < 0.02
        bits_case(["dilate", w, h], [source, marker], reconstruct(marker, source),
                  "conditional dilate %dx%d" % (w, h))
for h, w in [(1, 1), (3, 1), (23, 31), (47, 53), (64, 9)]:
    for passes in (1, 2, 3, 5):
        ultimate_case(h, w, passes)

# Every cleaning shape, from its own generator so that the cases above keep
# their pictures.
shape_rng = np.random.default_rng(105)
for h, w in SIZES + [(40, 7), (7, 40)]:
    for blobs in (False, True):
        bits = shape_rng.random((h, w)) < 0.55
        if blobs:
            bits = ndimage.uniform_filter(bits.astype(float), size=3, mode="nearest") >= 4 / 9 - 1e-9
        for shape in ("2x2", "3x3", "4x4oct", "5x5oct"):
            for count in (0, 1, 2, 3):
                for objects in (True, False):
                    bits_case(["cleanby", shape, w, h, count, int(objects)], [bits],
                              clean_by(shape, bits, count, objects),
                              "clean%s %dx%d count %d objects %s" % (shape, w, h, count, objects))

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
