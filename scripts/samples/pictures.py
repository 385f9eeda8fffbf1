"""The animated GIF pictures: the eight built-in emoticon previews, the party
preview, and the single emoticons and display pictures of the sample packs."""
import math

from raster import Canvas, heart_points, star_points

PALETTE = [
    (255, 255, 255),  # 0 transparent
    (45, 32, 24),     # 1 outline
    (255, 214, 64),   # 2 yellow
    (245, 150, 40),   # 3 orange
    (220, 50, 60),    # 4 red
    (255, 140, 170),  # 5 pink
    (60, 120, 230),   # 6 blue
    (140, 200, 255),  # 7 light blue
    (60, 170, 90),    # 8 green
    (140, 90, 210),   # 9 purple
    (250, 250, 250),  # 10 white
    (150, 90, 40),    # 11 brown
    (70, 72, 84),     # 12 slate
    (250, 190, 20),   # 13 gold
    (40, 200, 200),   # 14 cyan
    (255, 240, 150),  # 15 cream
]
OUTLINE, YELLOW, ORANGE, RED, PINK, BLUE, LIGHT_BLUE, GREEN, PURPLE, WHITE, BROWN, SLATE, GOLD, CYAN, CREAM = range(1, 16)

FONT = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "B": ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    "C": ["01111", "10000", "10000", "10000", "10000", "10000", "01111"],
    "H": ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    "I": ["11111", "00100", "00100", "00100", "00100", "00100", "11111"],
    "!": ["00100", "00100", "00100", "00100", "00100", "00000", "00100"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
}


def face(canvas, cx, cy, r, mood, frame, skin=YELLOW):
    canvas.circle(cx, cy, r, OUTLINE)
    canvas.circle(cx, cy, r - max(1.2, r / 12), skin)
    blink = frame % 8 == 7
    eye_y = cy - r * 0.25
    for side in (-1, 1):
        ex = cx + side * r * 0.35
        if blink or (mood == "wink" and side == 1 and frame % 4 >= 2):
            canvas.line(ex - r * 0.15, eye_y, ex + r * 0.15, eye_y, max(1, r / 10), OUTLINE)
        else:
            canvas.ellipse(ex, eye_y, r * 0.11, r * 0.17, OUTLINE)
    if mood == "grin":
        canvas.ellipse(cx, cy + r * 0.3, r * 0.5, r * (0.18 + 0.08 * (frame % 2)), OUTLINE)
        canvas.ellipse(cx, cy + r * 0.25, r * 0.42, r * 0.08, WHITE)
    elif mood == "surprised":
        canvas.circle(cx, cy + r * 0.38, r * (0.14 + 0.05 * math.sin(frame)), OUTLINE)
    elif mood == "tongue":
        canvas.arc(cx, cy + r * 0.05, r * 0.45, 0.3, math.pi - 0.3, max(1, r / 10), OUTLINE)
        canvas.ellipse(cx + r * 0.12, cy + r * 0.5 + (frame % 4) * 0.4, r * 0.16, r * 0.2, RED)
    elif mood == "love":
        for side in (-1, 1):
            canvas.polygon(heart_points(cx + side * r * 0.35, cy - r * 0.25, r * (0.22 + 0.04 * (frame % 2))), RED)
        canvas.arc(cx, cy + r * 0.05, r * 0.45, 0.4, math.pi - 0.4, max(1, r / 10), OUTLINE)
    else:
        canvas.arc(cx, cy + r * 0.02, r * 0.48, 0.35, math.pi - 0.35, max(1, r / 9), OUTLINE)
    if mood in ("grin", "love"):
        for side in (-1, 1):
            canvas.ellipse(cx + side * r * 0.62, cy + r * 0.2, r * 0.13, r * 0.08, PINK)


def glyph(canvas, letter, x, y, cell, colour):
    for row, bits in enumerate(FONT[letter]):
        for col, bit in enumerate(bits):
            if bit == "1":
                canvas.rect(x + col * cell, y + row * cell, x + (col + 1) * cell, y + (row + 1) * cell, colour)


def gift(canvas, cx, cy, size, frame, body=RED, ribbon=GOLD):
    lift = [0, 0, 2, 5, 7, 5, 2, 0][frame % 8] * size / 24
    canvas.rect(cx - size / 2 - 1, cy - size / 4 - 1, cx + size / 2 + 1, cy + size / 2 + 1, OUTLINE)
    canvas.rect(cx - size / 2, cy - size / 4, cx + size / 2, cy + size / 2, body)
    canvas.rect(cx - size / 10, cy - size / 4, cx + size / 10, cy + size / 2, ribbon)
    top = cy - size / 4 - lift
    canvas.rect(cx - size / 2 - 3, top - size / 6 - 1, cx + size / 2 + 3, top + 1, OUTLINE)
    canvas.rect(cx - size / 2 - 2, top - size / 6, cx + size / 2 + 2, top, body)
    canvas.rect(cx - size / 10, top - size / 6, cx + size / 10, top, ribbon)
    for side in (-1, 1):
        canvas.ellipse(cx + side * size / 5, top - size / 4, size / 5, size / 9, ribbon)


def note(canvas, x, y, frame):
    """A music note whose head is at (x, y) and whose flag waves."""
    canvas.circle(x, y, 7, PURPLE)
    canvas.rect(x + 5, y - 32, x + 8, y, PURPLE)
    canvas.rect(x + 5, y - 32, x + 16, y - 28 + (frame % 2) * 2, PURPLE)


def frames(width, height, count, paint, delay=12):
    result = []
    for frame in range(count):
        canvas = Canvas(width, height)
        paint(canvas, frame)
        result.append((canvas.pixels, delay))
    return result


def bob(frame, phase, height=3.0):
    return -abs(math.sin((frame + phase) * math.pi / 4)) * height


BUILT_IN = {
    "MYBIGFACE": lambda c, f: [face(c, 48 + i * 64, 48 + bob(f, i * 2, 6), 28, mood, f)
                               for i, mood in enumerate(["grin", "love"])],
    "MYFACE": lambda c, f: [face(c, 22 + i * 38, 30 + bob(f, i), 15, mood, f)
                            for i, mood in enumerate(["smile", "grin", "wink", "surprised"])],
    "MYFACE2": lambda c, f: [face(c, 22 + i * 38, 30 + bob(f, i), 15, mood, f, skin)
                             for i, (mood, skin) in enumerate([("tongue", YELLOW), ("wink", ORANGE),
                                                               ("love", YELLOW), ("grin", CREAM)])],
    "MYFONT1": lambda c, f: [(c.circle(26 + i * 44, 30 + bob(f, i * 2, 4), 19, OUTLINE),
                              c.circle(26 + i * 44, 30 + bob(f, i * 2, 4), 17, [BLUE, GREEN, PURPLE][i]),
                              glyph(c, ch, 26 + i * 44 - 10, 30 + bob(f, i * 2, 4) - 14, 4, WHITE))
                             for i, ch in enumerate("ABC")],
    "MYFONT2": lambda c, f: [glyph(c, ch, 10 + i * 44, 10 + bob(f, i * 2, 3), 6,
                                   [CYAN, PINK, GOLD, GREEN][(f // 2 + i) % 4]) for i, ch in enumerate("HI!")],
    "MYFONT3": lambda c, f: [c.rect(0, 0, 140, 60, SLATE)] + [glyph(c, ch, 12 + i * 42, 10 + (1 if (f + i) % 4 == 0 else 0),
                                                                    6, WHITE) for i, ch in enumerate("LO!")],
    "MYGIFT": lambda c, f: [gift(c, 36 + i * 64, 38, 36, f + i * 3, body, ribbon)
                            for i, (body, ribbon) in enumerate([(RED, GOLD), (BLUE, WHITE)])],
    "MYSYMBOL": lambda c, f: [c.polygon(heart_points(30, 32, 20 + 3 * math.sin(f * math.pi / 4)), RED),
                              c.polygon(star_points(80, 32, 22, 10, f * math.pi / 16), GOLD),
                              note(c, 118, 44, f)],
}

SIZES = {"MYBIGFACE": (160, 96), "MYFONT1": (140, 60), "MYFONT2": (140, 60), "MYFONT3": (140, 60),
         "MYGIFT": (140, 80), "MYSYMBOL": (140, 64)}


def built_in_pictures():
    """(name, width, height, frames) for the eight pictures the program carries."""
    for name, paint in BUILT_IN.items():
        width, height = SIZES.get(name, (156, 60))
        yield name, width, height, frames(width, height, 8, paint)


def party_picture():
    def paint(canvas, frame):
        for i in range(14):
            x = (i * 37 + frame * 5) % 120 + 4
            y = (i * 23 + frame * 7) % 70 + 2
            canvas.rect(x, y, x + 4, y + 4, [RED, BLUE, GREEN, GOLD, PURPLE, CYAN][i % 6])
        face(canvas, 64, 48, 22, "grin", frame)
        canvas.polygon([(52, 30), (76, 30), (64, 4)], PURPLE)
        canvas.circle(64, 4, 4, GOLD)
    return 128, 76, frames(128, 76, 8, paint)


SKINS = {"orange": ORANGE, "cream": CREAM}


def emoticon(kind, index):
    """One 40 x 40 emoticon of a sample pack: a face by its mood ("grin", or
    "grin-cream" in another skin), a letter, or a shape, as the pack's preview
    picture shows it."""
    mood_or_shape, _, skin = kind.partition("-")

    def paint(canvas, frame):
        if mood_or_shape == "gift":
            gift(canvas, 20, 22, 22, frame + index, *([BLUE, WHITE] if skin == "blue" else []))
        elif mood_or_shape == "note":
            note(canvas, 16, 30, frame)
        elif mood_or_shape == "heart":
            canvas.polygon(heart_points(20, 21, 15 + 2 * math.sin(frame * math.pi / 4)), RED)
        elif mood_or_shape == "star":
            canvas.polygon(star_points(20, 21, 17, 8, frame * math.pi / 16), GOLD)
        elif len(mood_or_shape) == 1:
            canvas.circle(20, 20 + bob(frame, index, 2), 18, OUTLINE)
            canvas.circle(20, 20 + bob(frame, index, 2), 16, [BLUE, GREEN, PURPLE, ORANGE][index % 4])
            glyph(canvas, mood_or_shape, 10, 6 + bob(frame, index, 2), 4, WHITE)
        else:
            face(canvas, 20, 20, 18, mood_or_shape, frame + index, SKINS.get(skin, YELLOW))
    return 40, 40, frames(40, 40, 8, paint)


def display_picture(kind):
    """A 96 x 96 display picture of a sample pack: an animal or a robot face."""
    colours = {"robot": (LIGHT_BLUE, BLUE), "cat": (GREEN, CREAM), "fox": (ORANGE, CREAM), "owl": (BROWN, GOLD)}
    body, accent = colours[kind]

    def paint(canvas, frame):
        canvas.rect(0, 0, 96, 96, CREAM if kind != "owl" else SLATE)
        if kind == "robot":
            canvas.rect(20, 24, 76, 80, OUTLINE)
            canvas.rect(22, 26, 74, 78, body)
            canvas.line(48, 24, 48, 10, 3, OUTLINE)
            canvas.circle(48, 9, 5, RED if frame % 2 else GOLD)
        else:
            for side in (-1, 1):
                canvas.polygon([(48 + side * 34, 20), (48 + side * 14, 30), (48 + side * 32, 48)], OUTLINE)
            canvas.circle(48, 56, 32, OUTLINE)
            canvas.circle(48, 56, 30, body)
            canvas.ellipse(48, 70, 16, 11, accent)
        blink = frame % 6 == 5
        for side in (-1, 1):
            ex, ey = 48 + side * 14, 50
            if blink:
                canvas.line(ex - 6, ey, ex + 6, ey, 3, OUTLINE)
            else:
                canvas.circle(ex, ey, 8, WHITE)
                canvas.circle(ex + (frame % 3 - 1) * 2, ey, 4, OUTLINE)
        canvas.arc(48, 62, 10, 0.4, math.pi - 0.4, 3, OUTLINE)
    return 96, 96, frames(96, 96, 6, paint, delay=20)
