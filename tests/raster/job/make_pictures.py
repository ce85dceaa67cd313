"""Writes the test inputs into the current folder: planes.bin (a pre-screened
2000 x 2500 page, 1 bit, four planes of 252-byte rows one after the other),
picture.png (64 x 32 RGB) and cyan.tif (64 x 8 CMYK, the left half full cyan)."""
import struct
import zlib

rl, rows = 252, 2500
open("planes.bin", "wb").write(bytes((i * 13 + (i >> 9)) & 0xFF for i in range(rl * rows * 4)))

raw = b"".join(b"\0" + bytes(c for x in range(64) for c in (x * 4, 255 - x * 4, y * 8)) for y in range(32))


def chunk(t, d):
    return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF)


open("picture.png", "wb").write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 64, 32, 8, 2, 0, 0, 0))
                                + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))

w, h = 64, 8
pixels = b"".join(bytes((255, 0, 0, 0) if x < 32 else (0, 0, 0, 0)) for y in range(h) for x in range(w))
entries = [(256, 3, 1, w), (257, 3, 1, h), (258, 3, 1, 8), (259, 3, 1, 1), (262, 3, 1, 5), (273, 4, 1, 0),
           (277, 3, 1, 4), (278, 3, 1, h), (279, 4, 1, len(pixels)), (284, 3, 1, 1)]
data_at = 8 + 2 + 12 * len(entries) + 4
out = b"II*\0" + struct.pack("<I", 8) + struct.pack("<H", len(entries))
for tag, typ, count, value in entries:
    if tag == 273:
        value = data_at
    out += struct.pack("<HHI", tag, typ, count) + (struct.pack("<HH", value, 0) if typ == 3 else struct.pack("<I", value))
open("cyan.tif", "wb").write(out + struct.pack("<I", 0) + pixels)
