#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/:
small, well-formed cases like those of the unit tests, so that fuzzing
starts from inputs that reach deep into each reader.
    make_seeds.py ENCODE_SAMPLE_STREAM   (the test program that writes streams)"""
import os
import random
import re
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


COUNTERS = b"1\x001847\x002\x00System\x00230\x00Process\x00784\x00ID Process\x00232\x00Thread\x00\x00"
# The block recorded under Wine (eight processes, the object at 96), taken
# from the process walk's unit test so that both use the same bytes.
def recorded_block():
    with open(os.path.join(repo, "tests", "update", "ops", "process_walk_test.cpp")) as f:
        text = f.read()
    literal = re.search(r"kRecordedBlock\[\] =\s*((?:\"[0-9a-f]+\"\s*)+);", text).group(1)
    return bytes.fromhex("".join(re.findall(r"[0-9a-f]+", literal)))


RECORDED_BLOCK = recorded_block()


def process_block(instances):
    """The layout the unit tests build: data block, one object with a 64-bit
    counter and the id counter (at 16), instances each with its counters."""
    b = bytearray(88)
    b[0:8] = "PERF".encode("utf-16-le")
    struct.pack_into("<I", b, 8, 1)
    struct.pack_into("<II", b, 24, 88, 1)
    obj = len(b)
    b += bytes(64 + 80)
    struct.pack_into("<II", b, obj + 8, 64, 230)
    struct.pack_into("<I", b, obj + 32, 2)
    struct.pack_into("<I", b, obj + 40, len(instances))
    struct.pack_into("<II", b, obj + 64, 40, 6)
    struct.pack_into("<I", b, obj + 64 + 36, 8)
    struct.pack_into("<II", b, obj + 104, 40, 784)
    struct.pack_into("<I", b, obj + 104 + 32, 4)
    struct.pack_into("<I", b, obj + 104 + 36, 16)
    struct.pack_into("<I", b, obj + 4, len(b) - obj)
    for name, pid in instances:
        text = (name + "\0").encode("utf-16-le")
        size = (24 + len(text) + 7) // 8 * 8
        at = len(b)
        b += bytes(size)
        struct.pack_into("<IIIIII", b, at, size, 0, 0, 0xFFFFFFFF, 24, len(text))
        b[at + 24:at + 24 + len(text)] = text
        b += struct.pack("<IIIIII", 24, 0, 0, 0, pid, 0)
    struct.pack_into("<I", b, obj, len(b) - obj)
    struct.pack_into("<I", b, 20, len(b))
    return bytes(b)


def processes():
    # counters length, counters, "more data" answers, list capacity, block
    def seed(name, block, more=0, capacity=255):
        put("process_list_fuzz", name, struct.pack("<H", len(COUNTERS)) + COUNTERS + bytes((more, capacity)) + block)
    seed("recorded-wine", RECORDED_BLOCK)
    seed("built-three", process_block([("Idle", 0), ("notepad", 412), ("svc", 77)]), more=2)
    seed("built-long-names", process_block([("x" * 60, 5), ("y" * 59, 6), ("\u30c6\u30b9\u30c8", 7)]))
    seed("built-capacity-2", process_block([("p", 9)] * 4), capacity=2)


def copy_layout(records, groups, total_rows, page_width=32, page_height=80):
    """A layout file: header, 56-byte records (id, bytes a row, planes), then
    the group table (rows, items of x and record index)."""
    b = bytearray(40 + 56 * len(records))
    struct.pack_into("<H", b, 0, len(records))
    struct.pack_into("<I", b, 8, total_rows)
    struct.pack_into("<ii", b, 16, page_height, page_width)
    for i, (ident, row_bytes, planes) in enumerate(records):
        at = 40 + 56 * i
        struct.pack_into("<i", b, at + 8, ident)
        struct.pack_into("<I", b, at + 16, 0xDEAD)
        struct.pack_into("<iH", b, at + 44, row_bytes, planes)
    for rows, items in groups:
        b += struct.pack("<II", rows, len(items))
        for x, index in items:
            b += struct.pack("<II", x, index)
    struct.pack_into("<I", b, 32, len(b))
    return bytes(b)


def copy_bitmap(kind, rows, planes, row_bytes):
    head = bytearray(256)
    head[36] = ord(kind)
    body = bytes((0x10 * (r + 1) + p + k) & 255 for r in range(rows) for p in range(planes) for k in range(row_bytes))
    return bytes(head) + body


def layouts():
    # depth (0: 1, 1: 2, 2: 8 bits), planes, band rows, calls, row length,
    # page width the bands need, the layout file, then the bitmaps (id, bytes).
    def seed(name, depth, planes, rows, calls, row_length, min_width, layout, bitmaps):
        data = struct.pack("<BBBBHHH", depth, planes, rows, calls - 1, row_length, min_width, len(layout)) + layout
        data += bytes((len(bitmaps),))
        for ident, body in bitmaps:
            data += struct.pack("<iH", ident, len(body)) + body
        put("copy_layout_fuzz", name, data)
    walked = copy_layout([(10, 1, 6), (11, 1, 1)], [(2, [(0, 0)]), (0, [(8, 1)]), (3, [(8, 0), (16, 1)])], 5)
    seed("groups-across-calls-1bit", 0, 4, 3, 3, 4, 32, walked,
         [(10, copy_bitmap("1", 5, 6, 1)), (11, copy_bitmap("1", 3, 1, 1))])
    shifted = copy_layout([(10, 2, 4), (12, 2, 1)], [(3, [(3, 0), (13, 1)]), (6, [(5, 1)])], 9, page_width=256)
    for depth, bits in ((1, 2), (2, 8)):
        seed("shifted-%dbit" % bits, depth, 4, 5, 3, 8 * bits, 256, shifted,
             [(10, copy_bitmap("1", 9, 4, 2)), (12, copy_bitmap("8", 9, 1, 2))])
    short = copy_layout([(10, 2, 1), (13, 2, 1)], [(4, [(0, 0), (9, 1)])], 4, page_width=256)
    seed("short-and-missing-bitmaps", 1, 4, 5, 2, 16, 256, short, [(10, copy_bitmap("1", 2, 1, 2))])


def media_lists():
    # The media of media_list_fuzz: its script and two copied files.
    import hashlib
    files = [(b"quillet.txt", b"file:a.dll\r\ntoWork:\r\npatch:sub\\\x95\x5c.dll\r\ntoWork:\r\n"),
             (b"a.dll", b"a"), ("sub/\u8868.dll".encode("utf-8"), b"b")]
    whole = b"".join(hashlib.sha256(data).hexdigest().encode() + b"  " + name + b"\n"
                     for name, data in files)
    put("media_list_fuzz", "whole", whole)
    put("media_list_fuzz", "cut", whole[:150])
    put("media_list_fuzz", "crlf-binary-marker", whole.replace(b"  a.dll", b" *a.dll").replace(b"\n", b"\r\n"))


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
    processes()
    layouts()
    media_lists()
    streams(sys.argv[1])
