"""Paints simple shapes into an indexed canvas for the GIF pictures."""
import math


class Canvas:
    def __init__(self, width, height, background=0):
        self.width = width
        self.height = height
        self.pixels = [background] * (width * height)

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y * self.width + x] = colour

    def ellipse(self, cx, cy, rx, ry, colour):
        for y in range(int(cy - ry) - 1, int(cy + ry) + 2):
            for x in range(int(cx - rx) - 1, int(cx + rx) + 2):
                if ((x + 0.5 - cx) / rx) ** 2 + ((y + 0.5 - cy) / ry) ** 2 <= 1.0:
                    self.put(x, y, colour)

    def circle(self, cx, cy, r, colour):
        self.ellipse(cx, cy, r, r, colour)

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(int(y0), int(y1)):
            for x in range(int(x0), int(x1)):
                self.put(x, y, colour)

    def polygon(self, points, colour):
        ys = [p[1] for p in points]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            sy = y + 0.5
            crossings = []
            for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
                if (y0 <= sy < y1) or (y1 <= sy < y0):
                    crossings.append(x0 + (sy - y0) * (x1 - x0) / (y1 - y0))
            crossings.sort()
            for a, b in zip(crossings[::2], crossings[1::2]):
                for x in range(int(round(a)), int(round(b))):
                    self.put(x, y, colour)

    def line(self, x0, y0, x1, y1, thickness, colour):
        steps = max(1, int(math.hypot(x1 - x0, y1 - y0) * 2))
        for i in range(steps + 1):
            t = i / steps
            self.circle(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, thickness / 2, colour)

    def arc(self, cx, cy, r, start, end, thickness, colour):
        steps = max(8, int(r * abs(end - start)))
        for i in range(steps + 1):
            a = start + (end - start) * i / steps
            self.circle(cx + r * math.cos(a), cy + r * math.sin(a), thickness / 2, colour)


def star_points(cx, cy, outer, inner, turn=0.0, points=5):
    result = []
    for i in range(points * 2):
        radius = outer if i % 2 == 0 else inner
        angle = turn - math.pi / 2 + i * math.pi / points
        result.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    return result


def heart_points(cx, cy, size):
    result = []
    for i in range(48):
        t = 2 * math.pi * i / 48
        x = 16 * math.sin(t) ** 3
        y = 13 * math.cos(t) - 5 * math.cos(2 * t) - 2 * math.cos(3 * t) - math.cos(4 * t)
        result.append((cx + x * size / 17, cy - y * size / 17))
    return result
