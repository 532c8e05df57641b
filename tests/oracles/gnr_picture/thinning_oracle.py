#!/usr/bin/python3
"""Writes pictures and their expected results from scikit-image and SciPy for
the thinning, zones-of-influence and disc oracle cases.

Usage: thinning_oracle.py OUTDIR. Writes OUTDIR/manifest.txt, one case a
line: "<kind> <args> <files>", pictures as plain PBM (P1, 1 = set).
"""
import os
import sys

import numpy as np
from scipy import ndimage
from skimage.draw import disk, ellipse
from skimage.morphology import skeletonize
from skimage.segmentation import watershed


def write_pbm(path, img):
    h, w = img.shape
    with open(path, "w") as f:
        f.write("P1\n%d %d\n" % (w, h))
        for row in img:
            f.write(" ".join("1" if v else "0" for v in row) + "\n")


def main(out):
    os.makedirs(out, exist_ok=True)
    lines = []

    # Discs: the SDK's AddCircle against skimage.draw.disk(r - 0.5).
    shape = (40, 50)
    centres = [(25, 20), (0, 0), (49, 39), (-3, 10), (55, 45), (10, -5), (24, 39)]
    for r in list(range(1, 9)) + [20]:
        for i, (cx, cy) in enumerate(centres):
            img = np.zeros(shape, bool)
            rr, cc = disk((cy, cx), r - 0.5, shape=shape)
            img[rr, cc] = True
            name = "disc_%d_%d.pbm" % (r, i)
            write_pbm(os.path.join(out, name), img)
            lines.append("disc %d %d %d %s" % (r, cx, cy, name))

    # Shapes for thinning: rectangles, ellipses, rings and random blobs.
    rng = np.random.default_rng(40)
    shapes = []
    for w, h in [(60, 11), (30, 30), (9, 40), (45, 20)]:
        img = np.zeros((h + 10, w + 10), bool)
        img[5:5 + h, 5:5 + w] = True
        shapes.append(("rect_%dx%d" % (w, h), img))
    for ry, rx in [(8, 20), (15, 15), (25, 6)]:
        img = np.zeros((2 * ry + 10, 2 * rx + 10), bool)
        rr, cc = ellipse(ry + 5, rx + 5, ry, rx)
        img[rr, cc] = True
        shapes.append(("ellipse_%d_%d" % (ry, rx), img))
    for outer, inner in [(20, 8), (14, 9), (30, 25)]:
        img = np.zeros((2 * outer + 10, 2 * outer + 10), bool)
        c = outer + 5
        rr, cc = disk((c, c), outer)
        img[rr, cc] = True
        rr, cc = disk((c, c), inner)
        img[rr, cc] = False
        shapes.append(("ring_%d_%d" % (outer, inner), img))
    for k in range(200):
        img = np.zeros((64, 64), bool)
        for _ in range(int(rng.integers(1, 5))):
            cy, cx = rng.integers(14, 50, 2)
            ry, rx = rng.integers(4, 13, 2)
            rr, cc = ellipse(cy, cx, ry, rx, shape=img.shape)
            img[rr, cc] = True
        shapes.append(("blob_%03d" % k, img))
    for name, img in shapes:
        write_pbm(os.path.join(out, name + ".pbm"), img)
        write_pbm(os.path.join(out, name + ".skel.pbm"), skeletonize(img))
        lines.append("skeleton %s.pbm %s.skel.pbm" % (name, name))

    # Zones of influence: the watershed lines of the distance of the
    # background, flooded from the labelled objects: on the chessboard
    # distance for thickening (which grows by it), on the Euclidean one for
    # the template thinning of zones of influence (which peels the
    # background about evenly in all eight directions).
    for k in range(20):
        img = np.zeros((96, 128), bool)
        for _ in range(int(rng.integers(3, 12))):
            cy, cx = rng.integers(6, 90), rng.integers(6, 122)
            r = 4
            rr, cc = disk((cy, cx), r, shape=img.shape)
            img[rr, cc] = True
        labels, _ = ndimage.label(img, structure=np.ones((3, 3)))
        dist = ndimage.distance_transform_cdt(~img, metric="chessboard")
        ws = watershed(dist, markers=labels, watershed_line=True)
        edt = ndimage.distance_transform_edt(~img)
        ews = watershed(edt, markers=labels, watershed_line=True)
        name = "zones_%02d" % k
        write_pbm(os.path.join(out, name + ".pbm"), img)
        write_pbm(os.path.join(out, name + ".lines.pbm"), (ws == 0) & ~img)
        write_pbm(os.path.join(out, name + ".elines.pbm"), (ews == 0) & ~img)
        lines.append("zones %s.pbm %s.lines.pbm %s.elines.pbm" % (name, name, name))

    # Zones of objects one or two pixels wide, alone and beside larger ones:
    # the same Euclidean watershed lines.
    small = np.random.default_rng(55)
    for k in range(12):
        img = np.zeros((64, 80), bool)
        for _ in range(int(small.integers(3, 9))):
            cy, cx = small.integers(4, 60), small.integers(4, 76)
            h, w = small.integers(1, 3, 2)
            img[cy:cy + h, cx:cx + w] = True
        if k % 2:
            rr, cc = disk((small.integers(16, 48), small.integers(16, 64)), 6, shape=img.shape)
            img[rr, cc] = True
        labels, _ = ndimage.label(img, structure=np.ones((3, 3)))
        ews = watershed(ndimage.distance_transform_edt(~img), markers=labels, watershed_line=True)
        name = "small_zones_%02d" % k
        write_pbm(os.path.join(out, name + ".pbm"), img)
        write_pbm(os.path.join(out, name + ".elines.pbm"), (ews == 0) & ~img)
        lines.append("small_zones %s.pbm %s.elines.pbm" % (name, name))

    with open(os.path.join(out, "manifest.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
