"""The Flash movies of the sample winks and display pictures: a few shapes
moving, turning and growing over some frames; and the still picture that
stands for a wink's movie."""
import math

from gif import write_gif
from raster import Canvas, heart_points, star_points
from swf import movie

WIDTH, HEIGHT, FRAMES = 320, 240, 36
STILL_SIZE = 64
# The frame a still shows: the first, but for movies whose shapes have not come into view by then.
STILL_FRAMES = {"bubbles": 11, "sunrise": 18}


def circle(r, n=24):
    return [(r * math.cos(2 * math.pi * i / n), r * math.sin(2 * math.pi * i / n)) for i in range(n)]


def square(size):
    h = size / 2
    return [(-h, -h), (h, -h), (h, h), (-h, h)]


def track(count, position):
    return [[position(shape, frame / FRAMES) for shape in range(count)] for frame in range(FRAMES)]


MOVIES = {
    "heart": ((255, 240, 245), [((230, 40, 70), (120, 10, 30), heart_points(0, 0, 60)),
                                ((255, 150, 180), (160, 60, 90), heart_points(0, 0, 22))],
              lambda s, t: (160 + (90 * math.cos(2 * math.pi * t) if s else 0),
                            130 - abs(math.sin(2 * math.pi * t * 2)) * (40 if s == 0 else 20) + (-70 if s else 0),
                            1.0 + 0.15 * math.sin(4 * math.pi * t), 0.0)),
    "rainbow": ((235, 245, 255), [(c, (60, 60, 60), circle(26)) for c in
                                  [(230, 50, 50), (250, 150, 30), (250, 220, 40), (60, 180, 80), (60, 120, 230),
                                   (140, 80, 200)]],
               lambda s, t: (30 + s * 52, 120 + 60 * math.sin(2 * math.pi * (t + s / 6)), 1.0, 0.0)),
    "star": ((20, 24, 60), [((250, 200, 30), (200, 120, 0), star_points(0, 0, 70, 30)),
                            ((255, 255, 255), (180, 180, 200), star_points(0, 0, 14, 6))],
            lambda s, t: ((160, 120, 1.0, 2 * math.pi * t) if s == 0 else
                          (160 + 120 * math.cos(2 * math.pi * t), 120 + 90 * math.sin(2 * math.pi * t), 1.0,
                           -4 * math.pi * t))),
    "bubbles": ((200, 235, 255), [((120 + 20 * i, 200, 255), (40, 110, 180), circle(10 + 6 * i)) for i in range(5)],
                lambda s, t: (40 + s * 60, 260 - ((t * (1 + s * 0.3)) % 1.0) * 300, 1.0 + 0.1 * math.sin(6 * t), 0.0)),
    "sunrise": ((255, 230, 190), [((250, 170, 40), (210, 100, 20), circle(60, 32)),
                                  ((80, 160, 90), (40, 100, 50), square(340))],
                lambda s, t: ((160, 250 - 150 * t, 1.0 + 0.3 * t, 0.0) if s == 0 else (160, 330, 1.0, 0.0))),
    "robot": ((230, 240, 255), [((120, 180, 240), (30, 70, 140), square(140)),
                                ((255, 255, 255), (30, 70, 140), circle(18)),
                                ((255, 255, 255), (30, 70, 140), circle(18))],
              lambda s, t: ((160, 120, 1.0, 0.1 * math.sin(4 * math.pi * t)) if s == 0 else
                            (160 + (35 if s == 1 else -35), 105, 1.0 - 0.7 * (math.sin(2 * math.pi * t) > 0.9), 0.0))),
    "cat": ((235, 255, 235), [((90, 190, 110), (30, 90, 40), circle(80, 32)),
                              ((90, 190, 110), (30, 90, 40), [(-40, 0), (0, -60), (40, 0)])],
            lambda s, t: ((160, 130, 1.0, 0.0) if s == 0 else (160, 70, 1.0, 0.15 * math.sin(4 * math.pi * t)))),
    "fox": ((255, 245, 230), [((245, 140, 40), (160, 70, 10), [(-90, -60), (0, 80), (90, -60), (0, -20)]),
                              ((255, 250, 240), (160, 70, 10), [(-30, 20), (0, 75), (30, 20)])],
            lambda s, t: (160 + 10 * math.sin(2 * math.pi * t), 115, 1.0, 0.05 * math.sin(2 * math.pi * t))),
    "owl": ((40, 40, 70), [((150, 100, 50), (70, 40, 20), circle(85, 32)),
                           ((250, 200, 40), (120, 80, 10), circle(26)),
                           ((250, 200, 40), (120, 80, 10), circle(26))],
            lambda s, t: ((160, 125, 1.0, 0.0) if s == 0 else
                          (160 + (40 if s == 1 else -40), 105, 1.0 + 0.25 * math.sin(2 * math.pi * t), 0.0))),
}


def write_movie(path, name):
    background, shapes, position = MOVIES[name]
    movie(path, WIDTH, HEIGHT, background, shapes, track(len(shapes), position))


def write_still(path, name):
    """A STILL_SIZE square GIF of one frame of the movie: the whole width of the
    stage, centred on it, each shape filled and edged in the movie's colours."""
    background, shapes, position = MOVIES[name]
    # Index 0 is the GIF's transparent colour; no pixel uses it, so the still is opaque as the movie is.
    palette = [background]

    def index(colour):
        if colour not in palette[1:]:
            palette.append(colour)
        return palette.index(colour, 1)

    canvas = Canvas(STILL_SIZE, STILL_SIZE, index(background))
    zoom = STILL_SIZE / WIDTH
    top = (HEIGHT - WIDTH) / 2
    frame = track(len(shapes), position)[STILL_FRAMES.get(name, 0)]
    for (colour, outline, points), (x, y, scale, angle) in zip(shapes, frame):
        cos, sin = scale * math.cos(angle), scale * math.sin(angle)
        placed = [((x + cos * px - sin * py) * zoom, (y + sin * px + cos * py - top) * zoom) for px, py in points]
        canvas.polygon(placed, index(colour))
        for (x0, y0), (x1, y1) in zip(placed, placed[1:] + placed[:1]):
            canvas.line(x0, y0, x1, y1, 1, index(outline))
    write_gif(path, STILL_SIZE, STILL_SIZE, palette, [(canvas.pixels, 0)])
