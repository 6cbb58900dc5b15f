"""Reads a profile written by the program with Python's own XML parser and
checks its structure and the 180 byte values against the table pattern the
test program saved (byte k of the table = k * 37 mod 256)."""
import sys
import xml.etree.ElementTree as ET


def main(path):
    raw = open(path, "rb").read()
    assert raw[:2] == b"\xff\xfe", "expected a UTF-16LE byte-order mark"
    assert raw[2:].decode("utf-16-le").startswith('<?xml version="1.0" encoding="UTF-16"?>'), "declaration"
    root = ET.parse(path).getroot()
    assert root.tag == "Mirvostan", root.tag
    assert not root.attrib, "no attributes"
    children = list(root)
    assert [c.tag for c in children] == ["Version", "MouseFun"], [c.tag for c in children]
    assert children[0].text == "1", "Version %r" % children[0].text
    buttons = list(children[1])
    assert [b.tag for b in buttons] == ["Button%d" % i for i in range(20)], [b.tag for b in buttons]
    values = []
    for b in buttons:
        assert [e.tag for e in b] == ["Byte%d" % j for j in range(9)], b.tag
        for e in b:
            assert e.text == str(int(e.text)), "%s/%s %r is not plain decimal" % (b.tag, e.tag, e.text)
            values.append(int(e.text))
    assert len(values) == 180
    expected = [(k * 37) % 256 for k in range(180)]
    assert values == expected, "bytes differ: %r" % [(k, v, x) for k, (v, x) in enumerate(zip(values, expected)) if v != x][:5]
    print("independent reader: Version 1, %d bytes match" % len(values))


if __name__ == "__main__":
    main(sys.argv[1])
