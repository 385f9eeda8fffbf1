#!/usr/bin/env python3
"""Writes a folder of pack files as a collector keeps one: a quarter winks, a
quarter display pictures and half emoticon packs, spread over subfolders,
with 5 % copies of other packs under other names (some repacked without
compression, some as .QZK files without their first byte) and 1 % damaged
downloads cut short. The cabinets are written here (MS-CAB with MSZIP, data
blocks with their checksums), the pictures are GIFs of the project's own
writer, each made unique by a comment of random bytes.
    bench/collection/make-folder.py FOLDER [COUNT]"""
import os
import random
import struct
import sys
import tempfile
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "samples"))
import gif  # noqa: E402

BLOCK = 32768
PACKAGE = "http://messenger.msn.com/messengercontent/1.0"


def fold(data):
    """The MS-CAB checksum of a data block, seeded with zero."""
    whole = len(data) // 4 * 4
    value = int.from_bytes(data[:whole], "little")
    # The exclusive or of all 32-bit words: halves folded onto each other.
    words = whole // 4
    while words > 1:
        half = (words + 1) // 2
        value = (value & ((1 << (32 * half)) - 1)) ^ (value >> (32 * half))
        words = half
    # The last one to three bytes count first byte highest.
    extra = 0
    for byte in data[whole:]:
        extra = (extra << 8) | byte
    return value ^ extra


def cabinet(files, compress=True):
    """The bytes of a one-folder cabinet of (name, bytes) files."""
    stream = b"".join(data for _, data in files)
    blocks = []
    for start in range(0, max(len(stream), 1), BLOCK):
        chunk = stream[start:start + BLOCK]
        if compress:
            packer = zlib.compressobj(6, zlib.DEFLATED, -15)
            body = b"CK" + packer.compress(chunk) + packer.flush()
        else:
            body = chunk
        sizes = struct.pack("<HH", len(body), len(chunk))
        checksum = fold(body) ^ int.from_bytes(sizes, "little")
        blocks.append(struct.pack("<I", checksum) + sizes + body)
    entries = b""
    offset = 0
    for name, data in files:
        entries += struct.pack("<IIHHHH", len(data), offset, 0, 0x3C21, 0x6000, 0x20) + name.encode() + b"\0"
        offset += len(data)
    header_size = 36 + 8
    data_start = header_size + len(entries)
    total = data_start + sum(len(block) for block in blocks)
    header = struct.pack("<4sIIIIIBBHHHHH", b"MSCF", 0, total, 0, header_size, 0, 3, 1, 1, len(files), 0, 1234, 0)
    folder = struct.pack("<IHH", data_start, len(blocks), 1 if compress else 0)
    return header + folder + entries + b"".join(blocks)


def base_pictures(rng, count, side):
    pictures = []
    with tempfile.TemporaryDirectory() as scratch:
        for index in range(count):
            palette = [(0, 0, 0)] + [(rng.randrange(256), rng.randrange(256), rng.randrange(256)) for _ in range(3)]
            pixels = [rng.randrange(1, 4) if (x // 4 + y // 4 + index) % 3 else 0 for y in range(side) for x in range(side)]
            path = os.path.join(scratch, "p.gif")
            gif.write_gif(path, side, side, palette, [(pixels, 10)])
            with open(path, "rb") as data:
                pictures.append(data.read())
    return pictures


def unique(picture, rng, size):
    """The picture with a comment of `size` random bytes: another file, the same picture."""
    payload = rng.randbytes(size)
    comment = b"\x21\xfe" + b"".join(bytes([len(payload[i:i + 255])]) + payload[i:i + 255]
                                     for i in range(0, len(payload), 255)) + b"\0"
    return picture[:-1] + comment + picture[-1:]


def manifest(items, kind):
    lines = [f'<?xml version="1.0" encoding="UTF-8"?>\r\n<package xmlns="{PACKAGE}" version="1.0" type="{kind}">\r\n']
    lines += items
    lines.append("</package>\r\n")
    return "".join(lines).encode()


def emoticon_pack(rng, faces, number):
    items, files = [], []
    for index in range(rng.randrange(8, 25)):
        name = f"e{number}_{index}.gif"
        files.append((name, unique(rng.choice(faces), rng, rng.randrange(500, 2500))))
        items.append(f'<item xmlns:emoticon="http://messenger.msn.com/emoticon/1.0" contentid="P{number}" contenttype="P" '
                     f'type="emoticon" mimetype="image/gif" file="{name}" emoticon:displayname="Face {number} {index}" '
                     f'emoticon:keysequence=":{number % 1000}{chr(97 + index)}" />\r\n')
    return [("content.xml", manifest(items, "theme"))] + files


def display_pack(rng, tiles, number):
    name = f"d{number}.gif"
    item = (f'<item xmlns:usertile="http://messenger.msn.com/usertile/1.0" contentid="D{number}" contenttype="D" '
            f'type="usertile" mimetype="image/gif" file="{name}" usertile:displayname="Picture {number}" />\r\n')
    return [("content.xml", manifest([item], "usertiles")), (name, unique(rng.choice(tiles), rng, rng.randrange(3000, 12000)))]


def wink_pack(rng, tiles, number):
    movie = b"FWS\x06" + rng.randbytes(rng.randrange(20000, 60000))
    inner_items = ['<item type="animation" mimetype="application/x-shockwave-flash" file="w.swf" />\r\n',
                   '<item type="thumbnail" mimetype="image/gif" file="w.gif" />\r\n']
    inner = cabinet([("content.xml", manifest(inner_items, "wink")), ("w.swf", movie),
                     ("w.gif", unique(rng.choice(tiles), rng, 1000))])
    item = (f'<item contentid="W{number}" contenttype="D" type="wink" mimetype="application/x-ms-cab" '
            f'file="w{number}.cab" displayname="Wink {number}" />\r\n')
    return [("content.xml", manifest([item], "wink")), (f"w{number}.cab", inner)]


def main():
    folder = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
    rng = random.Random(40)
    faces = base_pictures(rng, 16, 19)
    tiles = base_pictures(rng, 16, 96)
    copies = count * 5 // 100
    damaged = count // 100
    distinct = count - copies - damaged
    written = []
    for number in range(distinct):
        share = number % 4
        if share == 0:
            files, name = wink_pack(rng, tiles, number), f"wink {number}.QZK"
        elif share == 1:
            files, name = display_pack(rng, tiles, number), f"picture {number}.QZC"
        else:
            files, name = emoticon_pack(rng, faces, number), f"emoticons {number}." + rng.choice(["QZK", "QZK", "CAB", "mco"])
        data = cabinet(files)
        path = os.path.join(folder, f"site {number % 97:02d}", name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(data[1:] if name.endswith(".QZK") else data)
        written.append((files, path))
    downloads = os.path.join(folder, "downloads")
    os.makedirs(downloads, exist_ok=True)
    for number in range(copies):
        files, _ = rng.choice(written)
        # Stored without compression, as a .QZK without its first byte, or packed again.
        way = number % 3
        data = cabinet(files, compress=way != 0)
        name = f"copy {number}." + ("QZK" if way == 1 else "cab")
        with open(os.path.join(downloads, name), "wb") as out:
            out.write(data[1:] if way == 1 else data)
    for number in range(damaged):
        files, _ = rng.choice(written)
        data = cabinet(files)
        with open(os.path.join(downloads, f"broken {number}.QZC"), "wb") as out:
            out.write(data[:len(data) * 6 // 10])
    print(f"wrote {count} pack files into {folder}: {distinct} packs, {copies} copies, {damaged} damaged")


if __name__ == "__main__":
    main()
