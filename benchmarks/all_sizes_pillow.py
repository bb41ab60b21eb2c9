#!/usr/bin/python3
"""Pillow making and saving an icon of 16, 24, 32, 48 and 256 from a 256 x 256 picture, the
picture already in memory as Pixmora's canvas holds it: the median of nine runs, in ms."""
import io
import sys
import time

from PIL import Image

picture = Image.open(sys.argv[1])
picture.load()
times = []
for run in range(10):
    start = time.perf_counter()
    out = io.BytesIO()
    picture.save(out, "ico", sizes=[(16, 16), (24, 24), (32, 32), (48, 48), (256, 256)])
    with open(sys.argv[2], "wb") as f:
        f.write(out.getvalue())
    if run:
        times.append((time.perf_counter() - start) * 1000)
times.sort()
print("pillow total %.2f ms (median of %d)" % (times[len(times) // 2], len(times)))
