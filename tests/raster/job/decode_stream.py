"""Reads a printer command stream back into plane rows (an independent
decoder of the raster transfers: method 0 raw, method 2 PackBits), for the
end-to-end tests of riphost."""
import re


def unpack_bits(b):
    out, i = bytearray(), 0
    while i < len(b):
        h = b[i] - 256 if b[i] > 127 else b[i]
        i += 1
        if h >= 0:
            out += b[i:i + h + 1]
            i += h + 1
        elif h != -128:
            out += bytes([b[i]]) * (1 - h)
            i += 1
    return bytes(out)


def plane_rows(stream):
    """Rows of the four planes in stream order (K, C, M, Y)."""
    rows = {0: [], 1: [], 2: [], 3: []}
    i = stream.index(b"\x1b*r1A") + 5
    plane, method = 0, 0
    while stream[i:i + 3] == b"\x1b*b":
        m = re.match(rb"\x1b\*b(\d+)([MVW])", stream[i:])
        n, c = int(m.group(1)), m.group(2)
        i += m.end()
        if c == b"M":
            method = n
            continue
        rows[plane].append(unpack_bits(stream[i:i + n]) if method == 2 else stream[i:i + n])
        i += n
        plane = 0 if c == b"W" else plane + 1
    assert stream[i:] == b"\x1b*rC\x1b%0B\x1bEPG;", "the job ends after the rows"
    return rows


def check_cyan_half(path):
    """The cyan test picture: the left 32 pixels full cyan, nothing else."""
    rows = plane_rows(open(path, "rb").read())
    assert len(rows[1]) == 8, len(rows[1])
    for r in rows[1]:
        assert r == b"\xff" * 4 + b"\0" * 4, r
    for p in (0, 2, 3):
        for r in rows[p]:
            assert r == b"\0" * 8, (p, r)
