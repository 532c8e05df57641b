#!/usr/bin/env python3
"""JP2 files built straight from the box layout of ISO/IEC 15444-1 (Annex I),
independently of the SDK's own writers.

  jp2_cases.py cases FOLDER [J2K]   writes the case files and cases.tsv; with a
                                     .j2k file its codestream is used, else a
                                     small stand-in (SOC ... EOC)
  jp2_cases.py extract FOLDER FILE... writes the contents of every "jp2c" box of
                                     each FILE as FOLDER/NAME.cs0, NAME.cs1, ...
  jp2_cases.py corpus-source FOLDER  seed corpus of fuzz_jp2_source
  jp2_cases.py corpus-boxmap FOLDER  seed corpus of fuzz_jp2_boxmap

cases.tsv: one line per file: name, expectation (open / fail / error), number
of codestreams, then key=value facts the tests check.
"""
import os
import struct
import sys

# ---- boxes -----------------------------------------------------------------


def box(tbox, payload, form='plain'):
    """A box: LBox (u32 BE), TBox, XLBox (u64 BE) when LBox is 1."""
    t = tbox.encode('latin-1')
    if form == 'zero':      # runs to the end of the file
        return struct.pack('>I', 0) + t + payload
    if form == 'xl':
        return struct.pack('>I', 1) + t + struct.pack('>Q', 16 + len(payload)) + payload
    return struct.pack('>I', 8 + len(payload)) + t + payload


def signature():
    return box('jP  ', struct.pack('>I', 0x0D0A870A))


def ftyp(brand='jp2 ', compat=('jp2 ',)):
    return box('ftyp', brand.encode() + struct.pack('>I', 0) + b''.join(c.encode() for c in compat))


def ihdr(height, width, nc, bpc, c=7, unk=0, ipr=0):
    return box('ihdr', struct.pack('>IIHBBBB', height, width, nc, bpc, c, unk, ipr))


def bpcc(depths):
    return box('bpcc', bytes(depths))


def colr_enum(cs):
    return box('colr', struct.pack('>BBBI', 1, 0, 0, cs))


def colr_icc(profile):
    return box('colr', struct.pack('>BBB', 2, 0, 0) + profile)


def pclr(depth_bytes, tables):
    """tables: one list of entries per table, all the same length."""
    ne = len(tables[0])
    out = struct.pack('>HB', ne, len(tables)) + bytes(depth_bytes)
    for coded, entries in zip(depth_bytes, tables):
        nbytes = ((coded & 0x7F) + 1 + 7) // 8
        for v in entries:
            out += v.to_bytes(nbytes, 'big')
    return box('pclr', out)


def cmap(channels):
    return box('cmap', b''.join(struct.pack('>HBB', *ch) for ch in channels))


def cdef(entries):
    return box('cdef', struct.pack('>H', len(entries)) +
               b''.join(struct.pack('>HHH', *e) for e in entries))


def res_sub(kind, vn, vd, hn, hd, ve, he):
    return box(kind, struct.pack('>HHHHbb', vn, vd, hn, hd, ve, he))


def jp2h(*subs, form='plain'):
    return box('jp2h', b''.join(subs), form)


# ---- ICC profiles (restricted ICC: input device, curves, colorants) -----------


def s15(v):
    return struct.pack('>i', int(round(v * 65536)))


def curv_gamma(gamma):
    return b'curv' + bytes(4) + struct.pack('>IH', 1, int(round(gamma * 256))) + bytes(2)


def curv_points(points):
    data = b'curv' + bytes(4) + struct.pack('>I', len(points)) + b''.join(
        struct.pack('>H', p) for p in points)
    return data + bytes((-len(data)) % 4)


def xyz(x, y, z):
    return b'XYZ ' + bytes(4) + s15(x) + s15(y) + s15(z)


def icc_profile(space, tags):
    """tags: list of (signature, data)."""
    table = b''
    body = b''
    offset = 128 + 4 + 12 * len(tags)
    for sig, data in tags:
        table += sig.encode() + struct.pack('>II', offset + len(body), len(data))
        body += data
    size = 128 + 4 + len(table) + len(body)
    header = struct.pack('>I', size) + b'none' + struct.pack('>I', 0x02100000) + b'scnr' + \
        space.encode() + b'XYZ ' + bytes(12) + b'acsp'
    header += bytes(128 - len(header))
    return header + struct.pack('>I', len(tags)) + table + body


GRAY_GAMMA = 1.8
RGB_GAMMAS = (2.2, 1.0, 1.5)
RGB_COLORANTS = ((0.4361, 0.2225, 0.0139), (0.3851, 0.7169, 0.0971), (0.1431, 0.0606, 0.7141))


def gray_profile():
    return icc_profile('GRAY', [('kTRC', curv_gamma(GRAY_GAMMA))])


def rgb_profile():
    tags = [('rTRC', curv_gamma(RGB_GAMMAS[0])), ('gTRC', curv_points([0, 65535])),
            ('bTRC', curv_points([0, 20000, 65535]))]
    tags += [(n, xyz(*c)) for n, c in zip(('rXYZ', 'gXYZ', 'bXYZ'), RGB_COLORANTS)]
    return icc_profile('RGB ', tags)


# ---- files -------------------------------------------------------------------

STAND_IN = [bytes([0xFF, 0x4F, 0xFF, 0x51, 0, 0, i, 1, 2, 3, 0xFF, 0xD9]) for i in range(3)]


def grey_header(nc=1, bpc=7):
    return jp2h(ihdr(4, 5, nc, bpc), colr_enum(17))


def jp2(header, codestreams, between=b'', forms=None, tail=b''):
    forms = forms or ['plain'] * len(codestreams)
    return signature() + ftyp() + header + between + b''.join(
        box('jp2c', cs, f) for cs, f in zip(codestreams, forms)) + tail


def cases(codestream):
    cs = [codestream] + STAND_IN[1:]
    pal256 = [[255] * 256]
    out = {
        # name: (bytes, expectation, codestreams, facts)
        'plain_grey': (jp2(grey_header(), cs[:1]), 'open', 1, 'nc=1 colours=1 depth0=8'),
        'three_codestreams': (jp2(grey_header(), cs), 'open', 3, 'nc=1'),
        'lbox_zero_codestream': (jp2(grey_header(), cs[:1], forms=['zero']), 'open', 1, ''),
        'xlbox_codestream': (jp2(grey_header(), cs[:2], forms=['xl', 'plain']), 'open', 2, ''),
        'xml_uuid_before_codestream': (
            jp2(grey_header(), cs[:1], between=box('xml ', b'<a/>') + box('uuid', bytes(20))),
            'open', 1, ''),
        'other_brand': (signature() + ftyp('jpx ', ('jpx ', 'jp2 ')) + grey_header() +
                        box('jp2c', cs[0]), 'open', 1, ''),
        'no_jp2_compat': (signature() + ftyp('jpx ', ('jpx ',)) + grey_header() +
                          box('jp2c', cs[0]), 'fail', 0, ''),
        'jp2h_before_ftyp': (signature() + grey_header() + ftyp() + box('jp2c', cs[0]),
                             'fail', 0, ''),
        'long_signature': (box('jP  ', struct.pack('>II', 0x0D0A870A, 0)) + ftyp() +
                           grey_header() + box('jp2c', cs[0]), 'fail', 0, ''),
        'no_codestream': (signature() + ftyp() + grey_header(), 'fail', 0, ''),
        'palette_2': (jp2(jp2h(ihdr(4, 5, 1, 7), colr_enum(16),
                               pclr([7, 7, 7], [[0, 255], [10, 20], [200, 100]]),
                               cmap([(0, 1, 0), (0, 1, 1), (0, 1, 2)])), cs[:1]),
                      'open', 1, 'nc=1 colours=3 luts=3 entries=2 lut1_1=20'),
        'palette_256': (jp2(jp2h(ihdr(4, 5, 1, 7), colr_enum(17), pclr([7], pal256),
                                 cmap([(0, 1, 0)])), cs[:1]),
                        'open', 1, 'nc=1 colours=1 luts=1 entries=256 lut0_0=255'),
        'cdef_reorder': (jp2(jp2h(ihdr(4, 5, 3, 7), colr_enum(16),
                                  cdef([(0, 0, 3), (1, 0, 2), (2, 0, 1)])), cs[:1]),
                         'open', 1, 'nc=3 colours=3 map=2,1,0'),
        'icc_grey': (jp2(jp2h(ihdr(4, 5, 1, 7), colr_icc(gray_profile())), cs[:1]),
                     'open', 1, 'colours=1 icc=1'),
        'icc_rgb': (jp2(jp2h(ihdr(4, 5, 3, 7), colr_icc(rgb_profile())), cs[:1]),
                    'open', 1, 'colours=3 icc=1'),
        'resolution_resc': (jp2(jp2h(ihdr(4, 5, 1, 7), colr_enum(17),
                                     box('res ', res_sub('resc', 9290, 32768, 9290, 32768, 4, 4))),
                                cs[:1]), 'open', 1, 'capture=2835'),
        'resolution_resd': (jp2(jp2h(ihdr(4, 5, 1, 7), colr_enum(17),
                                     box('res ', res_sub('resd', 1, 2, 1, 1, 0, 0))),
                                cs[:1]), 'open', 1, 'display=0.5 aspect=2'),
        'depths_bpcc': (jp2(jp2h(ihdr(4, 5, 3, 255), bpcc([7, 7, 11]), colr_enum(16)), cs[:1]),
                        'open', 1, 'nc=3 depth2=12'),
        'sub_box_too_long': (jp2(box('jp2h', ihdr(4, 5, 1, 7)[:-1]), cs[:1]), 'error', 0, ''),
        'ihdr_truncated': (jp2(jp2h(ihdr(4, 5, 1, 7)[:12] + b'', colr_enum(17)), cs[:1]),
                           'error', 0, ''),
        'ihdr_cut_short': (jp2(jp2h(box('ihdr', struct.pack('>II', 4, 5)), colr_enum(17)),
                               cs[:1]), 'error', 0, ''),
        'ihdr_too_long': (jp2(jp2h(box('ihdr', struct.pack('>IIHBBBBB', 4, 5, 1, 7, 7, 0, 0, 0)),
                                   colr_enum(17)), cs[:1]), 'error', 0, ''),
        'colr_enum_19': (jp2(jp2h(ihdr(4, 5, 1, 7), colr_enum(19)), cs[:1]), 'error', 0, ''),
        'cmap_6_bytes': (jp2(jp2h(ihdr(4, 5, 1, 7), colr_enum(17),
                                  box('cmap', bytes(6))), cs[:1]), 'error', 0, ''),
        'xlbox_15': (jp2(grey_header(), []) + struct.pack('>I', 1) + b'jp2c' +
                     struct.pack('>Q', 15), 'error', 0, ''),
        'file_cut_in_header': (jp2(grey_header(), []) + struct.pack('>I', 20), 'fail', 0, ''),
    }
    return out


def write_cases(folder, j2k):
    os.makedirs(folder, exist_ok=True)
    codestream = open(j2k, 'rb').read() if j2k else STAND_IN[0]
    with open(os.path.join(folder, 'cases.tsv'), 'w') as tsv:
        for name, (data, expect, count, facts) in sorted(cases(codestream).items()):
            with open(os.path.join(folder, name + '.jp2'), 'wb') as f:
                f.write(data)
            tsv.write('%s\t%s\t%d\t%s\n' % (name, expect, count, facts))


def top_boxes(data):
    """(type, contents start, contents end) of each top-level box."""
    at = 0
    while at + 8 <= len(data):
        lbox, tbox = struct.unpack('>I4s', data[at:at + 8])
        header = 8
        if lbox == 1:
            lbox = struct.unpack('>Q', data[at + 8:at + 16])[0]
            header = 16
        elif lbox == 0:
            lbox = len(data) - at
        yield tbox.decode('latin-1'), at + header, min(at + lbox, len(data))
        if lbox < header:
            return
        at += lbox


def extract(path, folder):
    data = open(path, 'rb').read()
    name = os.path.splitext(os.path.basename(path))[0]
    os.makedirs(folder, exist_ok=True)
    n = 0
    for tbox, start, end in top_boxes(data):
        if tbox == 'jp2c':
            with open(os.path.join(folder, '%s.cs%d' % (name, n)), 'wb') as f:
                f.write(data[start:end])
            n += 1


def corpus_source(folder):
    os.makedirs(folder, exist_ok=True)
    for name, (data, _, _, _) in cases(STAND_IN[0]).items():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(data)


MAGIC = b'VELTMARSHOPTRONICA QX BOX MAP 00'
PMAP_ID = bytes([0x8D, 0x5E, 0x25, 0x4E, 0x0A, 0x36, 0xDB, 0x42,
                 0xB1, 0xE1, 0xE1, 0xD9, 0xF1, 0x96, 0x97, 0x09])
COMMENT = b'<!-- Veltmarshoptronica QX, www.veltmarshoptronica.com -->'


def with_box_map(data, own):
    """Appends own boxes [(type, code, payload)] and the box map."""
    entries = []
    at = 0
    for tbox, start, end in top_boxes(data):
        entries.append((tbox, 'LUNK', at))
        at = end
    for tbox, code, payload in own:
        entries.append((tbox, code, len(data)))
        data += box(tbox, payload)
    entries.append(('uuid', 'PMAP', len(data)))
    body = PMAP_ID + struct.pack('>I', len(entries)) + b''.join(
        t.encode() + c.encode() + struct.pack('<Q', o) for t, c, o in entries)
    body += MAGIC + struct.pack('<Q', 44 + 16 * len(entries))
    return data + box('uuid', body)


def corpus_boxmap(folder):
    os.makedirs(folder, exist_ok=True)
    base = jp2(grey_header(), STAND_IN)
    texts = {
        'events': COMMENT + b'\r\n<Events version="1.0"><variant version="1.0"/></Events>',
        'vimd': COMMENT + b'\r\n<MetadataSeq _SEQUENCE_INDEX="7"><variant/></MetadataSeq>',
        'vimd_noindex': COMMENT + b'\r\n<MetadataSeq x="1"><variant/></MetadataSeq>',
        'artt': COMMENT + b'\r\n<AdvancedImageAttributes><variant/></AdvancedImageAttributes>\r\n',
        'scdv': COMMENT + b'\r\n<Name><variant/></Name>',
        'vcdv': COMMENT + b'\r\n<Name 12><variant/></Name>',
        'tinf': COMMENT + b'\r\n<TextInfo Count="1"></TextInfo>\r\n',
        'junk_after': COMMENT + b'\r\n<Events version="1.0"></Events>junk',
    }
    own = [('xml ', 'IEVE', texts['events']), ('xml ', 'VIMD', texts['vimd']),
           ('uuid', 'VCDB', bytes(16) + b'name\x00' + struct.pack('<I', 3) + b'data')]
    files = {'mapped': with_box_map(base, own), 'unmapped': base + box('xml ', texts['events'])}
    files['count_zero'] = base + box('uuid', PMAP_ID + struct.pack('>I', 0) + MAGIC +
                                     struct.pack('<Q', 44))
    files['huge_count'] = base + box('uuid', PMAP_ID + struct.pack('>I', 0xFFFFFFFF) + MAGIC +
                                     struct.pack('<Q', 44))
    for name, text in texts.items():
        files['text_' + name] = base + box('xml ', text)
    for name, data in files.items():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(data)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    mode = sys.argv[1]
    if mode == 'cases':
        write_cases(sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else None)
    elif mode == 'extract' and len(sys.argv) >= 4:
        for path in sys.argv[3:]:
            extract(path, sys.argv[2])
    elif mode == 'corpus-source':
        corpus_source(sys.argv[2])
    elif mode == 'corpus-boxmap':
        corpus_boxmap(sys.argv[2])
    else:
        sys.exit(__doc__)


if __name__ == '__main__':
    main()
