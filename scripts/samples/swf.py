"""A small SWF writer: shapes filled with a colour or a bitmap, placed on a
stage and moved, turned and scaled from frame to frame. Uncompressed (FWS), version 8."""
import math
import struct
import zlib


class Bits:
    def __init__(self):
        self.data = bytearray()
        self.value = 0
        self.count = 0

    def unsigned(self, value, nbits):
        for i in range(nbits - 1, -1, -1):
            self.value = (self.value << 1) | ((value >> i) & 1)
            self.count += 1
            if self.count == 8:
                self.data.append(self.value)
                self.value = 0
                self.count = 0

    def signed(self, value, nbits):
        self.unsigned(value & ((1 << nbits) - 1), nbits)

    def align(self):
        if self.count:
            self.unsigned(0, 8 - self.count)
        return bytes(self.data)


def signed_bits(*values):
    return max([1] + [int(abs(v)).bit_length() + 1 for v in values])


def rect(xmin, xmax, ymin, ymax):
    bits = Bits()
    n = signed_bits(xmin, xmax, ymin, ymax)
    bits.unsigned(n, 5)
    for v in (xmin, xmax, ymin, ymax):
        bits.signed(v, n)
    return bits.align()


def tag(code, body):
    if len(body) < 0x3F:
        return struct.pack("<H", (code << 6) | len(body)) + body
    return struct.pack("<HI", (code << 6) | 0x3F, len(body)) + body


def shape(shape_id, colour, outline, points_twips):
    """A closed polygon of (x, y) twips around the origin, filled and outlined.
    `colour` is an (r, g, b) colour, or a fill style already written (bitmap_fill)."""
    xs = [p[0] for p in points_twips]
    ys = [p[1] for p in points_twips]
    body = struct.pack("<H", shape_id) + rect(min(xs) - 40, max(xs) + 40, min(ys) - 40, max(ys) + 40)
    fill = colour if isinstance(colour, bytes) else bytes([0x00]) + bytes(colour)
    body += bytes([1]) + fill                                # one fill
    body += bytes([1]) + struct.pack("<H", 40) + bytes(outline)  # one 2-pixel line
    bits = Bits()
    bits.unsigned(1, 4)  # fill index bits
    bits.unsigned(1, 4)  # line index bits
    start = points_twips[0]
    move = signed_bits(*start)
    bits.unsigned(0, 1)
    bits.unsigned(0b01101, 5)  # flags: new styles, line style, fill style 1, fill style 0, move to
    bits.unsigned(move, 5)
    bits.signed(start[0], move)
    bits.signed(start[1], move)
    bits.unsigned(1, 1)  # fill style 1
    bits.unsigned(1, 1)  # line style
    x, y = start
    for px, py in points_twips[1:] + points_twips[:1]:
        dx, dy = px - x, py - y
        n = max(2, signed_bits(dx, dy))
        bits.unsigned(1, 1)
        bits.unsigned(1, 1)
        bits.unsigned(n - 2, 4)
        bits.unsigned(1, 1)  # general line
        bits.signed(dx, n)
        bits.signed(dy, n)
        x, y = px, py
    bits.unsigned(0, 6)  # end of shape
    return tag(2, body + bits.align())


def matrix(x, y, scale=1.0, angle=0.0):
    bits = Bits()
    a = scale * math.cos(angle)
    b = scale * math.sin(angle)
    sx = int(round(a * 65536))
    r = int(round(b * 65536))
    bits.unsigned(1, 1)
    n = signed_bits(sx, sx)
    bits.unsigned(n, 5)
    bits.signed(sx, n)
    bits.signed(sx, n)
    bits.unsigned(1, 1)
    n = signed_bits(r, -r)
    bits.unsigned(n, 5)
    bits.signed(r, n)
    bits.signed(-r, n)
    n = signed_bits(x, y)
    bits.unsigned(n, 5)
    bits.signed(int(x), n)
    bits.signed(int(y), n)
    return bits.align()


def place(depth, shape_id, x, y, scale=1.0, angle=0.0, first=False):
    flags = 0x04 | (0x02 if first else 0x01)  # has matrix; new character, or move
    body = bytes([flags]) + struct.pack("<H", depth)
    if first:
        body += struct.pack("<H", shape_id)
    return tag(26, body + matrix(x, y, scale, angle))


def bitmap(bitmap_id, width, height, pixels):
    """A lossless bitmap of `pixels`, rows of (r, g, b) from the top left."""
    data = b"".join(bytes([0, r, g, b]) for r, g, b in pixels)
    return tag(20, struct.pack("<HBHH", bitmap_id, 5, width, height) + zlib.compress(data))


def bitmap_fill(bitmap_id, scale):
    """A smoothed fill of the bitmap, clipped to its size times `scale`, its top left at the shape's origin."""
    return bytes([0x41]) + struct.pack("<H", bitmap_id) + matrix(0, 0, 20 * scale)


def movie(path, width, height, background, shapes, frames, rate=12, definitions=b""):
    """shapes: list of (colour, outline, points in pixels around 0,0);
    frames: list of per-frame lists of (x, y, scale, angle) in pixels, one per shape;
    definitions: tags the shapes refer to (bitmaps), written before them."""
    body = tag(9, bytes(background)) + definitions
    for i, (colour, outline, points) in enumerate(shapes, start=1):
        body += shape(i, colour, outline, [(int(px * 20), int(py * 20)) for px, py in points])
    for number, positions in enumerate(frames):
        for i, (x, y, scale, angle) in enumerate(positions, start=1):
            body += place(i, i, x * 20, y * 20, scale, angle, first=number == 0)
        body += tag(1, b"")
    body += tag(0, b"")
    header = rect(0, width * 20, 0, height * 20) + struct.pack("<HH", rate << 8, len(frames))
    data = header + body
    with open(path, "wb") as handle:
        handle.write(b"FWS" + bytes([8]) + struct.pack("<I", 8 + len(data)) + data)
