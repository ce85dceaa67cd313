"""A page with copies for the riphost end-to-end runs.

  copy_layout_page.py make DIR LAYOUT_PATH   writes into DIR the ticket copies.txt
      (naming LAYOUT_PATH), blank 16-bit planes white.bin, layout.bin, the copy
      bitmaps disk.cb (id 1) and tri6.cb (id 2), and the broken bad-index.bin
      (a record index at N), short.cb (tri6.cb cut after 20 rows), runaway.bin (4e9 empty rows),
      wide.bin (a layout page WIDE pixels wide) for screened.bin, pre-screened planes
  copy_layout_page.py wide DOC   40 blank rows, then screened.bin's rows padded to WIDE
  copy_layout_page.py check DOC [ROWS WHOLE BLANK]   the document holds exactly
      the copies where the layout puts them (or: ROWS rows, the first WHOLE as
      placed, blank from BLANK on)

The expected page is computed here, bit by bit, from the layout's description."""
import struct
import sys

import decode_stream

WIDTH, HEIGHT, PAGE_ROWS = 256, 96, 176  # top offset 40, drain 40
WIDE = 262144
# A disk in cyan and magenta in a black frame (64 x 48, 4 planes); a yellow
# triangle (48 x 48) with planes 4 and 5, beyond the job's four, all dots.
DISK = (64, 48, lambda p, x, y: (x < 2 or x > 61 or y < 2 or y > 45) if p == 3 else
        p < 2 and (x - 32) ** 2 + (y - 24) ** 2 < 400, 4)
TRI = (48, 48, lambda p, x, y: p >= 4 or p == 2 and y // 2 <= x < 48 - y // 2, 6)
# Records (id, bitmap): a bitmap placed twice needs a record per placement.
RECORDS = [(1, DISK), (2, TRI), (1, DISK), (2, TRI)]
# Groups (rows, [(x, record)]): copies across the top offset and the first
# band, a group of no rows, copies across the last band and the drain, one
# of them cut at the row's end.
GROUPS = [(8, []), (48, [(13, 0), (128, 1)]), (0, [(0, 0)]), (64, []), (48, [(216, 2), (64, 3)]), (8, [])]


def bitmap_file(bitmap):
    width, height, dot, planes = bitmap
    row = lambda p, y: bytes(sum(0x80 >> k for k in range(8) if dot(p, 8 * b + k, y)) for b in range(width // 8))
    return bytes(36) + b"1" + bytes(219) + b"".join(row(p, y) for y in range(height) for p in range(planes))


def layout_file():
    recs = b"".join(struct.pack("<8xi32xiH6x", i, b[0] // 8, b[3]) for i, b in RECORDS)
    table = b"".join(struct.pack("<II", rows, len(items)) + b"".join(struct.pack("<II", *it) for it in items)
                     for rows, items in GROUPS)
    size = 40 + len(recs) + len(table)
    return struct.pack("<h6xI4xii8xI4x", len(RECORDS), PAGE_ROWS, PAGE_ROWS, WIDTH, size) + recs + table


def expected_page():
    page = [[bytearray(WIDTH // 8) for _ in range(PAGE_ROWS)] for _ in range(4)]
    row, used = 0, [0] * len(RECORDS)
    for rows, items in GROUPS:
        for x, r in items if rows else []:
            width, _, dot, _ = RECORDS[r][1]
            for y in range(rows):
                for p in range(4):
                    for bx in range(min(width, WIDTH - x)):
                        if dot(p, bx, used[r] + y):
                            page[p][row + y][(x + bx) // 8] |= 0x80 >> ((x + bx) % 8)
            used[r] += rows
        row += rows
    return page


def make(folder, layout_path):
    files = {"layout.bin": layout_file(), "disk.cb": bitmap_file(DISK), "tri6.cb": bitmap_file(TRI),
             "short.cb": bitmap_file(TRI)[:256 + 6 * 6 * 20], "white.bin": bytes(WIDTH * HEIGHT * 8)}
    bad = bytearray(layout_file())
    struct.pack_into("<I", bad, 40 + 56 * len(RECORDS) + 20, len(RECORDS))  # the second group's first item
    files["bad-index.bin"] = bytes(bad)
    files["wide.bin"] = struct.pack("<h6xI4xii8xI4x", 0, 0, 40 + HEIGHT, WIDE, 40)
    files["runaway.bin"] = struct.pack("<h6xI4xii8xI4xII", 0, 4000000000, PAGE_ROWS, WIDTH, 48, 4000000000, 0)
    files["screened.bin"] = bytes((i * 7 + i // 4096) & 255 for i in range(4 * HEIGHT * WIDTH // 8))
    for name, data in files.items():
        open(f"{folder}/{name}", "wb").write(data)
    open(f"{folder}/copies.txt", "w").write(
        f"width = {WIDTH}\nheight = {HEIGHT}\ntop_offset = 40\nbits_per_pixel = 1\nresolution1 = 720\n"
        "resolution2 = 720\nmode_name = Banner (Banner4-高速-双)\ndevice_name = dev\nprinter_name = Copies Printer\n"
        f"screening = 3\nlayout_path = {layout_path}\n")


def check_wide(doc):
    got, planes, n = decode_stream.plane_rows(open(doc, "rb").read()), open("screened.bin", "rb").read(), WIDTH // 8
    rows = lambda p: [b""] * 40 + [planes[(p * HEIGHT + y) * n:][:n] for y in range(HEIGHT)]
    assert [got[s] for s in range(4)] == [[r.ljust(WIDE // 8, b"\0") for r in rows(p)] for p in (3, 0, 1, 2)]


def check(doc, rows=PAGE_ROWS, whole=PAGE_ROWS, blank=PAGE_ROWS):
    got, page = decode_stream.plane_rows(open(doc, "rb").read()), expected_page()
    for s, p in enumerate([3, 0, 1, 2]):  # stream order K C M Y
        assert len(got[s]) == rows, (p, len(got[s]))
        for y in list(range(whole)) + list(range(blank, rows)):
            want = bytes(page[p][y]) if y < whole else bytes(WIDTH // 8)
            assert got[s][y] == want, (p, y, got[s][y].hex(), want.hex())
    print(f"{rows} rows as expected")


if __name__ == "__main__":
    {"make": make, "wide": check_wide}.get(sys.argv[1], lambda *a: check(a[0], *map(int, a[1:])))(*sys.argv[2:])
