"""A page with copies for the riphost end-to-end runs.

  copy_layout_page.py make DIR LAYOUT_PATH   writes into DIR: copies.txt (the
      ticket, naming LAYOUT_PATH), white.bin (blank 16-bit planes), layout.bin,
      disk.cb and tri6.cb (copy bitmaps 1 and 2), and the broken variants
      bad-index.bin (a record index at N) and short.cb (a bitmap cut short)
  copy_layout_page.py check DOC [ROWS WHOLE BLANK]   the spool document holds
      exactly the copies where the layout places them (or: ROWS rows, the
      first WHOLE as placed, blank from row BLANK on)

The expected page is computed here from the layout's own description, bit by
bit, independently of the module."""
import struct
import sys

import decode_stream

WIDTH, HEIGHT, TOP, PAGE_ROWS = 256, 96, 40, 176
ROW = WIDTH // 8  # 1 bit per pixel


def disk_bitmap():
    """64 x 48, 4 planes: a disk in cyan and magenta inside a black frame."""
    planes = []
    for p in range(4):
        rows = []
        for y in range(48):
            bits = []
            for x in range(64):
                inside = (x - 32) ** 2 + (y - 24) ** 2 < 20 ** 2
                frame = x < 2 or x > 61 or y < 2 or y > 45
                bits.append(frame if p == 3 else inside and p in (0, 1))
            rows.append(bits)
        planes.append(rows)
    return 64, 48, planes


def triangle_bitmap():
    """48 x 48, 6 planes: a yellow triangle; planes 4 and 5 (beyond the job's
    four) full of dots that must never print."""
    planes = [[[p == 2 and x >= y // 2 and x < 48 - y // 2 or p >= 4 for x in range(48)] for y in range(48)]
              for p in range(6)]
    return 48, 48, planes


def pack(bits):
    bits = bits + [False] * (-len(bits) % 8)
    return bytes(sum(0x80 >> k for k in range(8) if bits[i + k]) for i in range(0, len(bits), 8))


def bitmap_file(bitmap):
    width, height, planes = bitmap
    header = bytearray(256)
    header[36] = ord("1")
    return bytes(header) + b"".join(pack(planes[p][y]) for y in range(height) for p in range(len(planes)))


# Records (bitmap id, bitmap); a bitmap placed twice needs two records, each
# with its own read position.
RECORDS = [(1, disk_bitmap()), (2, triangle_bitmap()), (1, disk_bitmap()), (2, triangle_bitmap())]
# Groups: (rows, [(x, record)]). The first copies straddle the top offset and
# the first band; the last ones reach into the drain, one past the row's end.
GROUPS = [(8, []), (48, [(13, 0), (128, 1)]), (0, [(0, 0)]), (64, []), (48, [(216, 2), (64, 3)]), (8, [])]


def layout_file(records=RECORDS, groups=GROUPS):
    table = b"".join(struct.pack("<II", rows, len(items)) + b"".join(struct.pack("<II", x, r) for x, r in items)
                     for rows, items in groups)
    recs = b""
    for bitmap_id, (width, height, planes) in records:
        rec = bytearray(56)
        struct.pack_into("<i", rec, 8, bitmap_id)
        struct.pack_into("<i", rec, 44, (width + 7) // 8)
        struct.pack_into("<H", rec, 48, len(planes))
        recs += rec
    header = bytearray(40)
    struct.pack_into("<hxxxxxxIxxxxiixxxxxxxxI", header, 0, len(records), PAGE_ROWS, PAGE_ROWS, WIDTH,
                     40 + len(recs) + len(table))
    return bytes(header) + recs + table


def expected_page():
    """planes[p][row] as bytes: every placement's rows, cut at the row's end."""
    page = [[bytearray(ROW) for _ in range(PAGE_ROWS)] for _ in range(4)]
    row, used = 0, [0] * len(RECORDS)
    for rows, items in groups_in_rows():
        for x, r in items:
            width, height, planes = RECORDS[r][1]
            for k in range(rows):
                for p in range(4):
                    for bx, dot in enumerate(planes[p][used[r] + k]):
                        if dot and x + bx < WIDTH:
                            page[p][row + k][(x + bx) // 8] |= 0x80 >> ((x + bx) % 8)
            used[r] += rows
        row += rows
    return page


def groups_in_rows():
    return [(rows, items if rows else []) for rows, items in GROUPS]


def make(folder, layout_path):
    open(f"{folder}/layout.bin", "wb").write(layout_file())
    open(f"{folder}/disk.cb", "wb").write(bitmap_file(disk_bitmap()))
    open(f"{folder}/tri6.cb", "wb").write(bitmap_file(triangle_bitmap()))
    open(f"{folder}/short.cb", "wb").write(bitmap_file(triangle_bitmap())[:256 + 6 * 6 * 20])
    bad = bytearray(layout_file())
    struct.pack_into("<I", bad, 40 + 56 * len(RECORDS) + 8 + 8 + 4, len(RECORDS))  # group 2, item 1
    open(f"{folder}/bad-index.bin", "wb").write(bad)
    open(f"{folder}/white.bin", "wb").write(bytes(WIDTH * HEIGHT * 2 * 4))
    open(f"{folder}/copies.txt", "w").write(
        f"width = {WIDTH}\nheight = {HEIGHT}\ntop_offset = {TOP}\nplane_count = 4\nbits_per_pixel = 1\n"
        "resolution1 = 720\nresolution2 = 720\nmode_name = Banner (Banner4-高速-双)\ndevice_name = dev\n"
        f"printer_name = Copies Printer\nscreening = 3\nlayout_path = {layout_path}\n")


def check(docs, page_rows=PAGE_ROWS, whole_rows=PAGE_ROWS, blank_from=PAGE_ROWS):
    """page_rows rows: the first whole_rows as expected, blank from blank_from on."""
    rows = decode_stream.plane_rows(b"".join(open(d, "rb").read() for d in docs))
    stream_order = [3, 0, 1, 2]  # K C M Y
    page = expected_page()
    for s, p in enumerate(stream_order):
        assert len(rows[s]) == page_rows, (p, len(rows[s]))
        for y in list(range(whole_rows)) + list(range(blank_from, page_rows)):
            want = bytes(page[p][y]) if y < whole_rows else bytes(ROW)
            assert rows[s][y] == want, (p, y, rows[s][y].hex(), want.hex())
    print(f"{page_rows} rows with the copies in place")


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(sys.argv[2], sys.argv[3])
    else:
        check([sys.argv[2]], *map(int, sys.argv[3:]))
