#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/:
small, well-formed cases like those of the unit tests, so that fuzzing
starts from inputs that reach deep into each reader.
    make_seeds.py ENCODE_SAMPLE_STREAM   (the test program that writes streams)"""
import os
import random
import struct
import subprocess
import sys
import tempfile

root = os.path.dirname(os.path.abspath(__file__))
repo = os.path.dirname(root)


def put(target, name, data):
    folder = os.path.join(root, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def scripts():
    samples = os.path.join(repo, "tests", "update", "checker", "samples")
    for name in sorted(os.listdir(samples)):
        with open(os.path.join(samples, name), "rb") as f:
            body = f.read()
        put("script_reader_fuzz", name, b"\x01" + body)  # first byte: major version 5
    with open(os.path.join(samples, "sjis.txt"), "rb") as f:
        put("script_reader_fuzz", "sjis-nt.txt", b"\x00" + f.read())  # major version 4


def registry():
    rng = random.Random(11)
    put("version_registry_fuzz", "version", b"3.10")
    put("version_registry_fuzz", "long-major", b"99999999999.5x")
    for n in range(4):
        put("version_registry_fuzz", "values-%d" % n, bytes(rng.randrange(256) for _ in range(64 + 300 * n)))


def bitmap(width, height, bits, colours, header=40):
    stride = (width * bits + 31) // 32 * 4
    offset = 14 + header + 4 * colours
    size = offset + stride * abs(height)
    head = b"BM" + struct.pack("<IHHI", size, 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", header, width, height, 1, bits, 0, 0, 2835, 2835, colours, 0)
    info += b"\0" * (header - 40)
    table = b"".join(bytes((i & 255, i & 255, i & 255, 0)) for i in range(colours))
    pixels = bytes(i & 255 for i in range(stride * abs(height)))
    return head + info + table + pixels


def pictures():
    for w, h, bits, colours in [(10, 4, 8, 256), (3, 2, 24, 0), (17, -3, 1, 2), (5, 5, 4, 16),
                                (2, 2, 32, 0), (4, 2, 16, 0), (9, 3, 8, 7)]:
        put("title_picture_fuzz", "bmp-%dx%d-%d" % (w, h, bits), bitmap(w, h, bits, colours))
    put("title_picture_fuzz", "bmp-v4-header", bitmap(6, 2, 8, 4, header=108))


def wide(block, at, text):
    data = text.encode("utf-16-le") + b"\0\0"
    block[at:at + len(data)] = data


def job(bits, screening, mirror=0, top=0, banner=0, dump=0, send=False):
    b = bytearray(4100)
    b[0:6] = b"NVPMD\0"
    b[117], b[118], b[119], b[120] = 4, 2, 4, 2
    b[126:130] = struct.pack("<hh", 720, 720)
    b[160:164] = struct.pack("<i", top)
    b[190], b[191], b[3318] = mirror, screening, bits
    wide(b, 978, "fuzz-dev")
    wide(b, 1498, "x (Quality3-\u9AD8\u54C1\u8CEA-\u5358)" if bits == 2 else "(Banner4-\u9AD8\u901F-\u53CC)")
    b[3060:3068] = struct.pack("<ii", 1, 1)
    wide(b, 3320, "doc")
    width, lines = 64, 4
    data = bytes(b) + struct.pack("<HHBB", width, 32, 4, dump)
    data += bytes([4])  # screen: four 8 x 8 entries of an ordered matrix
    for ink in range(4):
        data += bytes([8, 8, 0]) + b"".join(struct.pack("<h", ((x * 5 + y * 3 + ink) % 64) * 4 + 2)
                                            for y in range(8) for x in range(8))
    data += bytes([banner, 0])  # configuration
    row = bits * ((width + 31) // 32) * 4
    for band in range(2):
        kind = 1 if send else 0
        data += bytes([kind]) + struct.pack("<HBBB", width, lines, 4, 255)
        size = lines * row if send else 2 * width * lines
        for plane in range(4):
            data += bytes((i * (plane + 3) + band * 40) & 255 for i in range(size))
    return data


def exports():
    put("printer_exports_fuzz", "contone-1bit-errdiff", job(1, 3))
    put("printer_exports_fuzz", "contone-2bit-dither-mirror", job(2, 4, mirror=1))
    put("printer_exports_fuzz", "contone-2bit-method5-top-banner", job(2, 5, top=3, banner=1, dump=1))
    put("printer_exports_fuzz", "screened-1bit", job(1, 3, send=True))
    put("printer_exports_fuzz", "screened-2bit-mirror-dump", job(2, 3, mirror=1, dump=1, send=True))


def streams(encoder):
    with tempfile.TemporaryDirectory() as tmp:
        for name, flag, args in [("1bit", 0, []), ("2bit-mirror", 3, ["--bpp", "2", "--mirror"]),
                                 ("split", 0, ["--documents", "2"])]:
            prefix = os.path.join(tmp, name)
            subprocess.run([encoder, prefix, "--width", "48", "--height", "6"] + args, check=True)
            docs = sorted(f for f in os.listdir(tmp) if f.startswith(name + ".doc"))
            data = b"".join(open(os.path.join(tmp, f), "rb").read() for f in docs)
            put("rtl_stream_fuzz", name, bytes([flag]) + data)


if __name__ == "__main__":
    scripts()
    registry()
    pictures()
    exports()
    streams(sys.argv[1])
