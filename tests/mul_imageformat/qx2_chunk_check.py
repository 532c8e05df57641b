#!/usr/bin/env python3
"""Independent check of QX2 chunk files, written from the byte layout alone.

  qx2_chunk_check.py verify FILE...   check files a writer made; exit 1 and a
                                      message on the first fault
  qx2_chunk_check.py verify-repaired FILE...
                                      the same for files repaired after a
                                      crash, which may keep bytes that are no
                                      chunk between chunks
  qx2_chunk_check.py build FOLDER     write chunk files for a reader to read and
                                      FOLDER/manifest.txt with what it must find
  qx2_chunk_check.py build-documents FOLDER
                                      write QX2 documents (attributes XML,
                                      zlib.compress frames, time caches, no
                                      map, rewritten names, gaps, version
                                      1.0) and FOLDER/documents.txt with the
                                      frames a reader must give
  qx2_chunk_check.py check-frames FILE LIST
                                      a finished document a writer made:
                                      verify, then inflate each frame with
                                      Python's zlib and compare it with the
                                      rows of LIST ("frame SEQ HEX", rows of
                                      the interface's 4-byte stride)
  qx2_chunk_check.py check-repaired FILE...
                                      a document repaired on open: a finished
                                      chunk file whose attributes count every
                                      frame and whose time cache, when there
                                      is one, holds the contiguous frames' times

Layout (little-endian): every chunk starts at a multiple of 4096: u32 magic
0x0ABECEDA, u32 name length N, u64 data length D (high half 0), N name bytes
ending in '!', D data bytes, zeros up to the next multiple of 4096. The first
chunk is the signature, the last the map; the map's data: entries (name with
'!', u64 offset, u64 length) in unsigned byte order, the end record (32 bytes
+ u64 map offset), zeros, and the end record again, 48 + D a multiple of 4096.
Standard library only.
"""
import os
import random
import re
import struct
import sys
import xml.etree.ElementTree as ET
import zlib

MAGIC = 0x0ABECEDA
MAGIC_BYTES = struct.pack("<I", MAGIC)
BLOCK = 4096
SIGNATURE = b"QX2 FILE SIGNATURE CHUNK NAME01!"
MAP_NAME = b"QX2 FILEMAP SIGNATURE NAME 0001!"
END_NAME = b"QX2 CHUNK MAP SIGNATURE 0000001!"
RESERVED = (SIGNATURE, MAP_NAME, END_NAME)


class Fault(Exception):
    pass


def round_up(n):
    return (n + BLOCK - 1) // BLOCK * BLOCK


def valid_name(name):
    return (1 <= len(name) <= 511 and name.endswith(b"!") and name.count(b"!") == 1
            and b"\0" not in name)


def walk(data, tolerant):
    """Every chunk of a finished file: (offset, name, data start, data length).
    tolerant: bytes without the magic before a chunk are skipped, and a chunk
    found behind them need not be aligned."""
    chunks = []
    at = 0
    while at < len(data):
        if tolerant and data[at:at + 4] != MAGIC_BYTES:
            found = data.find(MAGIC_BYTES, at)
            if found < 0:
                raise Fault("no chunk after %d" % at)
            at = found
        elif at % BLOCK:
            raise Fault("chunk at %d is not aligned" % at)
        if len(data) - at < 16:
            raise Fault("short header at %d" % at)
        magic, n, d = struct.unpack_from("<IIQ", data, at)
        if magic != MAGIC:
            raise Fault("bad magic at %d" % at)
        if d >> 32:
            raise Fault("data length high half set at %d" % at)
        name = data[at + 16:at + 16 + n]
        if not valid_name(name) or len(name) != n:
            raise Fault("bad name %r at %d" % (name, at))
        end = at + 16 + n + d
        if end > len(data):
            raise Fault("chunk at %d runs past the file" % at)
        pad_end = round_up(end)
        if pad_end > len(data):
            raise Fault("padding of chunk at %d runs past the file" % at)
        if any(data[end:pad_end]):
            raise Fault("padding of chunk at %d is not zero" % at)
        chunks.append((at, name, at + 16 + n, d))
        at = pad_end
    return chunks


def verify(path, tolerant=False):
    with open(path, "rb") as f:
        data = f.read()
    if len(data) % BLOCK or len(data) < 2 * BLOCK:
        raise Fault("size %d is no multiple of 4096 of two blocks or more" % len(data))
    chunks = walk(data, tolerant)
    first, last = chunks[0], chunks[-1]
    if first[0] != 0 or first[1] != SIGNATURE or first[3] != 64:
        raise Fault("first chunk is not the signature")
    version = data[first[2]:first[2] + 64]
    text = version.split(b"\0", 1)[0]
    if any(version[len(text):]) or not text or len(text) > 63:
        raise Fault("version text %r is not zero-padded" % version)
    if last[1] != MAP_NAME:
        raise Fault("last chunk is not the map")
    map_at, _, start, length = last
    if (48 + length) % BLOCK:
        raise Fault("map chunk has padding")
    if start + length != len(data):
        raise Fault("file does not end after the map")
    # The chunk a name must lead to: the last one of that name before the map.
    latest = {}
    for offset, name, dstart, dlen in chunks[1:-1]:
        if name not in RESERVED:
            latest[name] = (offset, dlen, 16 + len(name) + dlen)
    body = data[start:start + length]
    entries = []
    at = 0
    while True:
        bang = body.find(b"!", at, at + 511)
        if bang < 0:
            raise Fault("map entry at %d has no '!'" % at)
        name = body[at:bang + 1]
        if name == END_NAME:
            break
        if len(body) - (bang + 1) < 16:
            raise Fault("map entry %r is cut" % name)
        offset, chunk_length = struct.unpack_from("<QQ", body, bang + 1)
        entries.append((name, offset, chunk_length))
        at = bang + 17
    names = [e[0] for e in entries]
    if names != sorted(names) or len(set(names)) != len(names):
        raise Fault("map entries are not in unsigned byte order")
    if set(names) != set(latest):
        raise Fault("map names %r differ from the chunks %r" % (sorted(names), sorted(latest)))
    for name, offset, chunk_length in entries:
        want_offset, dlen, whole = latest[name]
        if offset != want_offset:
            raise Fault("map entry %r points at %d, the chunk is at %d" % (name, offset, want_offset))
        if chunk_length not in (dlen, whole):
            raise Fault("map entry %r has length %d" % (name, chunk_length))
    record = body[at:at + 40]
    if len(record) != 40 or struct.unpack_from("<Q", record, 32)[0] != map_at:
        raise Fault("first end record does not name the map at %d" % map_at)
    if any(body[at + 40:length - 40]):
        raise Fault("bytes between the end records are not zero")
    if data[-40:] != record:
        raise Fault("the file does not end with the end record")


# ---- Files for a reader.

def chunk(name, payload):
    raw = struct.pack("<IIQ", MAGIC, len(name), len(payload)) + name + payload
    return raw + b"\0" * (round_up(len(raw)) - len(raw))


def signature(version=b"Ver2.1"):
    return chunk(SIGNATURE, version + b"\0" * (64 - len(version)))


def map_chunk(map_at, entries):
    body = b"".join(name + struct.pack("<QQ", off, length) for name, off, length in entries)
    record = END_NAME + struct.pack("<Q", map_at)
    zeros = (-(48 + len(body) + 80)) % BLOCK
    return chunk(MAP_NAME, body + record + b"\0" * zeros + record)


class Builder:
    def __init__(self):
        self.data = bytearray(signature())
        self.offsets = {}

    def add(self, name, payload):
        self.offsets[name] = (len(self.data), len(payload))
        self.data += chunk(name, payload)

    def garbage(self, count, rng):
        junk = bytes(rng.randrange(256) for _ in range(count))
        while MAGIC_BYTES in junk:
            junk = junk.replace(MAGIC_BYTES, b"garb")
        self.data += junk

    def finish(self, chosen=None):
        entries = sorted((name, off, length) for name, (off, length) in (chosen or self.offsets).items())
        self.data += map_chunk(len(self.data), entries)


def build(folder):
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(1502)
    manifest = []

    def payload(size):
        return bytes(rng.randrange(256) for _ in range(size))

    def save(name, data, status, chunks):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
        manifest.append("file %s %d" % (name, status))
        for cname in sorted(chunks):
            manifest.append("chunk %s %s" % (cname.hex(), chunks[cname].hex()))

    # A finished file with a rewritten name: the map leads to the second.
    b = Builder()
    first, second, other = payload(30), payload(5000), payload(4096 - 16 - 2)
    b.add(b"Dup!", first)
    b.add(b"B!", other)
    b.add(b"Dup!", second)
    b.add(b"Empty!", b"")
    b.finish()
    save("finished", bytes(b.data), 0, {b"Dup!": second, b"B!": other, b"Empty!": b""})

    # A map may lead to the older chunk of a name: the map is what counts.
    b = Builder()
    b.add(b"Dup!", first)
    chosen = dict(b.offsets)
    b.add(b"Dup!", second)
    b.finish(chosen)
    save("map_leads_to_first", bytes(b.data), 0, {b"Dup!": first})

    # No map: the last complete chunk of a name wins.
    b = Builder()
    b.add(b"Dup!", first)
    b.add(b"ImageDataSeq|10!", payload(7))
    b.add(b"Dup!", second)
    save("no_map", bytes(b.data), -13, {b"Dup!": second, b"ImageDataSeq|10!": b.data[
        b.offsets[b"ImageDataSeq|10!"][0] + 32:b.offsets[b"ImageDataSeq|10!"][0] + 39]})

    # Bytes that are no chunk between chunks: whole blocks, and a run that
    # leaves the next chunk unaligned.
    for label, count in (("garbage_block", BLOCK), ("garbage_unaligned", 100)):
        b = Builder()
        a_data, c_data = payload(50), payload(9000)
        b.add(b"A!", a_data)
        b.garbage(count, rng)
        b.add(b"C!", c_data)
        b.data += b"\0" * (round_up(len(b.data)) - len(b.data))
        save(label, bytes(b.data), -13, {b"A!": a_data, b"C!": c_data})
        b.finish()
        save(label + "_map", bytes(b.data), 0, {b"A!": a_data, b"C!": c_data})

    # An unfinished file with a long zero tail.
    b = Builder()
    z = payload(123)
    b.add(b"Z!", z)
    b.data += b"\0" * (1 << 20)
    save("zero_tail", bytes(b.data), -13, {b"Z!": z})

    # A name that is a prefix of another sorts first.
    b = Builder()
    names = [b"ImageDataSeq|2!", b"ImageDataSeq|1!", b"ImageDataSeq|10!", b"\xff!", b"!"]
    expected = {}
    for name in names:
        expected[name] = payload(3)
        b.add(name, expected[name])
    b.finish()
    save("order", bytes(b.data), 0, expected)

    with open(os.path.join(folder, "manifest.txt"), "w") as f:
        f.write("\n".join(manifest) + "\n")


# ---- QX2 documents: the chunks of a document, written from their layout.

FRAME_NAME = re.compile(rb"^ImageDataSeq\|(0|[1-9][0-9]{0,7})!$")


def attributes_xml(values):
    """The variant XML of the attributes: a list of typed items."""
    items = "".join('<%s runtype="%s" value="%s"/>' % (key, kind, value)
                    for key, kind, value in values)
    return ('<?xml version="1.0" encoding="UTF-8"?><variant version="1.0">'
            '<attributes runtype="CLxListVariant">%s</attributes></variant>' % items).encode()


def read_attributes(payload):
    root = ET.fromstring(payload.decode("utf-8"))
    record = list(root)[0]
    return {item.tag: item.get("value") for item in record}


class Document:
    """A document of width x height, comps components of 8 or 16 bits."""

    def __init__(self, version, width, height, comps, bits, compressed, stride=0):
        self.version, self.width, self.height = version, width, height
        self.comps, self.bits, self.compressed = comps, bits, compressed
        self.sample = 2 if bits > 8 else 1
        self.row = width * comps * self.sample
        self.stored = max(stride, self.row) if version == b"Ver2.1" else self.row
        self.builder = Builder()
        self.builder.data = bytearray(signature(version))

    def attributes(self, count):
        values = [("uiWidth", "lx_uint32", self.width), ("uiWidthBytes", "lx_uint32", self.stored),
                  ("uiHeight", "lx_uint32", self.height), ("uiComp", "lx_uint32", self.comps),
                  ("uiBpcInMemory", "lx_uint32", 8 * self.sample),
                  ("uiBpcSignificant", "lx_uint32", self.bits),
                  ("uiSequenceCount", "lx_uint32", count),
                  ("uiTileWidth", "lx_uint32", self.width), ("uiTileHeight", "lx_uint32", self.height),
                  ("eCompression", "lx_int32", 0 if self.compressed else 2),
                  ("dCompressionParam", "double", "4")]
        self.builder.add(b"ImageAttributes!", attributes_xml(values))

    def pixels(self, f, stride):
        rows = bytearray(stride * self.height)
        for y in range(self.height):
            for i in range(self.row):
                rows[y * stride + i] = (f * 31 + y * 7 + i * 3) & 0xFF
        return bytes(rows)

    def expected(self, f):
        return self.pixels(f, (self.row + 3) // 4 * 4)

    def frame(self, f, time):
        raw = self.pixels(f, self.stored)
        payload = zlib.compress(raw, 4) if self.compressed else raw
        if self.version == b"Ver2.1":
            payload = struct.pack("<d", time) + payload
        self.builder.add(b"ImageDataSeq|%d!" % f, payload)

    def time_cache(self, times):
        self.builder.add(b"CustomData|AcqTimesCache!", b"".join(struct.pack("<d", t) for t in times))


def build_documents(folder):
    os.makedirs(folder, exist_ok=True)
    lines = []

    def save(name, doc, count, frames, missing=()):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(bytes(doc.builder.data))
        lines.append("document %s %d" % (name, count))
        for index in frames:
            lines.append("frame %d %s" % (index, doc.expected(index).hex()))
        for index in missing:
            lines.append("missing %d" % index)

    # Finished, twelve frames of an odd width, its map and time cache.
    d = Document(b"Ver2.1", 13, 5, 1, 8, True)
    d.attributes(12)
    for f in range(12):
        d.frame(f, 10.0 * f)
    d.time_cache([10.0 * f for f in range(12)])
    d.builder.finish()
    save("finished_v21", d, 12, range(12))

    # No map, raw 16-bit colour frames, frame 3 written twice.
    d = Document(b"Ver2.1", 3, 4, 3, 12, False)
    d.attributes(0)
    for f in (0, 1, 2, 3, 4, 3):
        d.frame(f, 5.0 * f)
    save("unfinished_v21", d, 5, range(5))

    # No map and a gap: frame 2 never written.
    d = Document(b"Ver2.1", 5, 3, 3, 8, True, stride=20)
    d.attributes(0)
    for f in (0, 1, 3):
        d.frame(f, 1.0 + f)
    save("gap_v21", d, 4, (0, 1, 3), missing=(2,))

    # Version 1.0 without map, eleven frames.
    d = Document(b"Ver1.0", 101, 3, 1, 8, True)
    d.attributes(0)
    for f in range(11):
        d.frame(f, 0.0)
    save("unfinished_v10", d, 11, range(11))

    with open(os.path.join(folder, "documents.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")


def check_repaired(path):
    verify(path, tolerant=True)
    with open(path, "rb") as f:
        data = f.read()
    chunks = walk(data, True)
    version = data[chunks[0][2]:chunks[0][2] + 64].split(b"\0", 1)[0]
    latest = {}
    for offset, name, dstart, dlen in chunks[1:-1]:
        latest[name] = data[dstart:dstart + dlen]
    frames = sorted(int(FRAME_NAME.match(n).group(1)) for n in latest if FRAME_NAME.match(n))
    count = frames[-1] + 1 if frames else 1
    if b"ImageAttributes!" not in latest:
        raise Fault("no attributes")
    if int(read_attributes(latest[b"ImageAttributes!"]).get("uiSequenceCount", -1)) != count:
        raise Fault("the attributes do not count %d frames" % count)
    cache = latest.get(b"CustomData|AcqTimesCache!")
    contiguous = frames == list(range(count))
    if version == b"Ver1.0" or not contiguous:
        if cache is not None and not contiguous:
            raise Fault("a time cache over a gap")
        if cache is not None and version == b"Ver1.0":
            raise Fault("a time cache in a version 1.0 file")
        return
    if cache is None:
        raise Fault("no time cache for contiguous frames")
    headers = b"".join(latest[b"ImageDataSeq|%d!" % f][:8] for f in frames)
    if cache != headers:
        raise Fault("the time cache differs from the frames' times")


def check_frames(path, listing):
    verify(path)
    with open(path, "rb") as f:
        data = f.read()
    chunks = walk(data, False)
    version = data[chunks[0][2]:chunks[0][2] + 64].split(b"\0", 1)[0]
    latest = {}
    for offset, name, dstart, dlen in chunks[1:-1]:
        latest[name] = data[dstart:dstart + dlen]
    attrs = read_attributes(latest[b"ImageAttributes!"])
    width, height = int(attrs["uiWidth"]), int(attrs["uiHeight"])
    comps, bits = int(attrs["uiComp"]), int(attrs["uiBpcInMemory"])
    stored = int(attrs["uiWidthBytes"])
    row = width * comps * (2 if bits > 8 else 1)
    stride = (row + 3) // 4 * 4
    compressed = int(attrs["eCompression"]) == 0
    with open(listing) as f:
        for line in f:
            words = line.split()
            if len(words) != 3 or words[0] != "frame":
                continue
            seq, want = int(words[1]), bytes.fromhex(words[2])
            payload = latest.get(b"ImageDataSeq|%d!" % seq)
            if payload is None:
                raise Fault("frame %d missing" % seq)
            if version != b"Ver1.0":
                payload = payload[8:]
            raw = zlib.decompress(payload) if compressed else payload
            if len(raw) != stored * height:
                raise Fault("frame %d holds %d bytes, not %d" % (seq, len(raw), stored * height))
            got = bytearray(stride * height)
            for y in range(height):
                got[y * stride:y * stride + row] = raw[y * stored:y * stored + row]
            if bytes(got) != want:
                raise Fault("frame %d differs" % seq)


def main(argv):
    if len(argv) >= 3 and argv[1] in ("verify", "verify-repaired"):
        for path in argv[2:]:
            try:
                verify(path, argv[1] == "verify-repaired")
            except Fault as fault:
                print("%s: %s" % (path, fault), file=sys.stderr)
                return 1
        return 0
    if len(argv) == 3 and argv[1] == "build":
        build(argv[2])
        return 0
    if len(argv) == 3 and argv[1] == "build-documents":
        build_documents(argv[2])
        return 0
    if len(argv) == 4 and argv[1] == "check-frames":
        try:
            check_frames(argv[2], argv[3])
        except Fault as fault:
            print("%s: %s" % (argv[2], fault), file=sys.stderr)
            return 1
        return 0
    if len(argv) >= 3 and argv[1] == "check-repaired":
        for path in argv[2:]:
            try:
                check_repaired(path)
            except Fault as fault:
                print("%s: %s" % (path, fault), file=sys.stderr)
                return 1
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
