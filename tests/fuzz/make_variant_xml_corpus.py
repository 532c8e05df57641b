#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_variant_xml into the folder given (made when
missing): small variant XML texts in UTF-8 and UTF-16, good and damaged."""
import os
import sys

DECL8 = '<?xml version="1.0" encoding="UTF-8"?>'
DECL16 = '<?xml version="1.0" encoding="UTF-16"?>'


def doc(body, decl=DECL8, root='<variant version="1.0">', end='</variant>'):
    return decl + root + body + end


BODIES = {
    'int32': '<n runtype="lx_int32" value="-2147483648"/>',
    'uint32': '<n runtype="lx_uint32" value="4294967295"/>',
    'int64': '<n runtype="lx_int64" value="-9223372036854775808"/>',
    'uint64': '<n runtype="lx_uint64" value="18446744073709551615"/>',
    'double': '<d runtype="double" value="0.100000000000000"/>',
    'double_special': '<l runtype="CLxListVariant"><a runtype="double" value="nan"/>'
                      '<b runtype="double" value="-inf"/><c runtype="double" value="1e-320"/></l>',
    'bool': '<b runtype="bool" value="true"/>',
    'voidptr': '<p runtype="voidPtr" value="deadbeef"/>',
    'string_escapes': '<s runtype="CLxStringW" value="a&#x003C;b&#x0022;&#x0026;&#x000d;&#x000a;'
                      '&#x0009;\U000F0007\U0001F600"/>',
    'bytes': '<y runtype="CLxByteArray" value="YWJj"/>',
    'unknown': '<u runtype="unknown" value=""/>',
    'no_runtype': '<s value="x"/>',
    'unregistered': '<r runtype="RLxNotRegistered"><a runtype="lx_int32" value="1"/></r>',
    'nested': '<a runtype="CLxListVariant"><b runtype="CLxListVariant"><c runtype="CLxListVariant">'
              '</c></b><e runtype="CLxListVariant"/></a>',
    'second_element': '<a runtype="lx_int32" value="1"/><b runtype="lx_int32" value="2"/>',
    'repeated_names': '<l runtype="CLxListVariant"><x runtype="lx_int32" value="1"/>'
                      '<x runtype="bool" value="false"/></l>',
    'empty': '',
}

DAMAGED = {
    'bad_root': '<variants version="1.0"><a value="1"/></variants>',
    'bad_version': '<variant version="2.0"><a value="1"/></variant>',
    'truncated': doc(BODIES['nested'])[:-20],
    'entity': '<!DOCTYPE variant [<!ENTITY e "&#x26;e2;"><!ENTITY e2 "x">]>'
              '<variant version="1.0"><s value="&e;"/></variant>',
}


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: make_variant_xml_corpus.py FOLDER')
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)

    def write(name, data):
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(data)

    for name, body in BODIES.items():
        write(name + '.utf8.xml', doc(body).encode('utf-8'))
        write(name + '.utf16le.xml', doc(body, DECL16).encode('utf-16-le'))
    for name, text in DAMAGED.items():
        write(name + '.utf8.xml', text.encode('utf-8'))
    body = BODIES['string_escapes']
    write('bom.utf8.xml', b'\xef\xbb\xbf' + doc(body).encode('utf-8'))
    write('bom.utf16le.xml', b'\xff\xfe' + doc(body, DECL16).encode('utf-16-le'))
    write('bom.utf16be.xml', b'\xfe\xff' + doc(body, DECL16).encode('utf-16-be'))
    write('upper_case_root.utf8.xml',
          doc(BODIES['int32'], root='<VARIANT VERSION="1.0">', end='</VARIANT>').encode('utf-8'))


if __name__ == '__main__':
    main()
