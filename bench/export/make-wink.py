#!/usr/bin/env python3
"""Writes the wink the GIF benchmark saves: 5 seconds at 12 frames a second on
a stage of 300 x 300 pixels, a star turning over a flat sky while a ball
crosses it. Uses the sample generator's SWF writer.
   bench/export/make-wink.py OUTPUT.swf"""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "samples"))

from raster import star_points  # noqa: E402
from swf import movie  # noqa: E402

SIZE, RATE, SECONDS = 300, 12, 5
FRAMES = RATE * SECONDS
ball = [(30 * math.cos(2 * math.pi * i / 24), 30 * math.sin(2 * math.pi * i / 24)) for i in range(24)]
shapes = [((250, 200, 30), (200, 120, 0), star_points(0, 0, 90, 38)), ((60, 120, 230), (20, 40, 120), ball)]
frames = [[(150, 150, 1.0, 2 * math.pi * f / FRAMES),
           (20 + 260 * f / FRAMES, 150 + 100 * math.sin(4 * math.pi * f / FRAMES), 1.0, 0.0)] for f in range(FRAMES)]
movie(sys.argv[1], SIZE, SIZE, (210, 230, 250), shapes, frames, rate=RATE)
