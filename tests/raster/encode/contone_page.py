"""Writes the 16-bit ink planes of a continuous-tone test page:
  contone_page.py OUT WIDTH HEIGHT
"""
import math, struct, sys
# 16-bit little-endian ink planes C, M, Y, K of a test picture: a hue sweep
# across, darker downward, a black "F" top left and a white margin.
w, h = int(sys.argv[2]), int(sys.argv[3])
planes = [bytearray() for _ in range(4)]
for y in range(h):
    for x in range(w):
        u, v = x / w, y / h
        rgb = [0.5 + 0.5 * math.cos(2 * math.pi * (u - c / 3)) for c in range(3)]
        rgb = [c * (1 - 0.6 * v) + 0.15 * (1 - v) for c in rgb]
        fx, fy, fs = x - w // 10, y - h // 10, max(4, h // 5)
        in_f = 0 <= fx < fs // 2 and 0 <= fy < fs and (fx < fs // 8 or fy < fs // 8 or (fs * 7 // 16 <= fy < fs * 9 // 16 and fx < fs * 3 // 8))
        if x < w // 40 or y < h // 40 or x >= w - w // 40 or y >= h - h // 40:
            rgb = [1.0, 1.0, 1.0]
        k = 1.0 if in_f else 1 - max(rgb)
        inks = [0.0 if k >= 1 else max(0.0, min(1.0, (1 - min(1.0, c) - k) / (1 - k))) for c in rgb] + [max(0.0, min(1.0, k))]
        for p in range(4):
            planes[p] += struct.pack("<H", int(round(inks[p] * 65535)))
open(sys.argv[1], "wb").write(b"".join(planes))
