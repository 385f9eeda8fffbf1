#!/usr/bin/env python3
"""Writes files as Windows machines made them, for the tests of text in code
pages: catalogues in windows-1252, GBK, Shift_JIS, KOI8-R and UTF-16LE (with
and without a byte-order mark), one that names an encoding nobody knows,
packs whose member names are in code pages 1252 and 936 without the UTF-8
mark, one member name that is no text in any code page, and a picture whose
file name is code page 1252.

    windows_text.py <folder>

The titles and names each file holds are in TITLES and PACKS below; the
tests expect exactly these."""
import os
import struct
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from gif import write_gif  # noqa: E402
from pictures import PALETTE, emoticon  # noqa: E402

PACKAGE = "http://messenger.msn.com/messengercontent/1.0"
EMOTICON = "http://messenger.msn.com/emoticon/1.0"

# file name: (declared encoding, codec that writes it, byte-order mark, {category: [titles]})
TITLES = {
    "list-1252.mpl": ("windows-1252", "cp1252", b"",
                      {"Winks": ["Caf\u00e9 \u20acuro", "Na\u00efve \u201cquotes\u201d"],
                       "\u00c9moticones": ["Sm\u00eele \u2122"]}),
    "list-gbk.mpl": ("GBK", "gbk", b"", {"Winks": ["\u7b11\u8138", "\u4e2d\u6587\u5305"]}),
    "list-sjis.mpl": ("Shift_JIS", "cp932", b"", {"Winks": ["\u7b11\u9854\u30d1\u30c3\u30af", "\u8868\u793a"]}),
    "list-koi8r.mpl": ("KOI8-R", "koi8_r", b"", {"Winks": ["\u0423\u043b\u044b\u0431\u043a\u0430"]}),
    "list-utf16le.mpl": ("UTF-16", "utf-16-le", b"\xff\xfe",
                         {"Winks": ["\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac", "\u65e5\u672c"]}),
    "list-utf16le-nomark.mpl": ("UTF-16", "utf-16-le", b"", {"Winks": ["\u0395\u03bb\u03bb\u03ac\u03b4\u03b1"]}),
    "list-unknown.mpl": ("x-no-such-charset", "ascii", b"", {"Winks": ["Plain"]}),
}

# pack file: (code page of the member names, encoding of content.xml,
#             [(name in the manifest, name the cabinet stores, display name)])
PACKS = {
    "pack-1252.cab": ("cp1252", "UTF-8", [("Caf\u00e9.gif", "Caf\u00e9.gif", "Caf\u00e9"),
                                          ("\u00c9lan.gif", "\u00e9lan.gif", "\u00c9lan")]),
    "pack-gbk.cab": ("gbk", "GB2312", [("\u7b11\u8138.gif", "\u7b11\u8138.gif", "\u7b11\u8138"),
                                       ("\u5f00\u5fc3.gif", "\u5f00\u5fc3.gif", "\u5f00\u5fc3")]),
}

# A member name that is a UTF-8 sequence cut short, and one that leaves the folder.
BROKEN_NAMES = [b"cut\xe4\xb8.gif", b"..\\\xe9vade.gif"]
PICTURE_1252 = b"Caf\xe9.gif"


def catalogue(encoding, categories):
    lines = [f'<?xml version="1.0" encoding="{encoding}"?>', "<ContentList>"]
    for category, titles in categories.items():
        lines.append(f"<{category}>")
        for index, title in enumerate(titles):
            lines.append(f'<Item ContentTitle="{title}" DownloadUrl="packs/p{index}.QZK" PrePath="p{index}.swf" '
                         f'Kept="{title}"/>')
        lines.append(f"</{category}>")
    lines.append("</ContentList>")
    return "\r\n".join(lines) + "\r\n"


def manifest(encoding, items):
    lines = [f'<?xml version="1.0" encoding="{encoding}" ?>',
             f'<package xmlns="{PACKAGE}" version="1.0" type="theme">']
    for file, _, title in items:
        lines.append(f'<item xmlns:emoticon="{EMOTICON}" contentid="Pack1" contenttype="P" type="emoticon" '
                     f'emoticon:namespaceprefix="Pack1" mimetype="image/gif" file="{file}" '
                     f'emoticon:displayname="{title}" emoticon:keysequence="({len(lines)})" />')
    lines.append(" </package>")
    return "\r\n".join(lines) + "\r\n"


def picture(index):
    with tempfile.TemporaryDirectory() as work:
        path = os.path.join(work, "picture.gif")
        write_gif(path, *emoticon("smile", index)[:2], PALETTE, emoticon("smile", index)[2])
        with open(path, "rb") as handle:
            return handle.read()


def cabinet(path, members):
    """An uncompressed cabinet of (name bytes, data) whose names carry no
    UTF-8 mark, as cabinet tools on Windows write them."""
    payload = b"".join(data for _, data in members)
    entries = b""
    offset = 0
    date = ((2005 - 1980) << 9) | (6 << 5) | 1
    time = 12 << 11
    for name, data in members:
        entries += struct.pack("<IIHHHH", len(data), offset, 0, date, time, 0x20) + name + b"\0"
        offset += len(data)
    blocks = b""
    count = 0
    for start in range(0, max(len(payload), 1), 32768):
        chunk = payload[start:start + 32768]
        blocks += struct.pack("<IHH", 0, len(chunk), len(chunk)) + chunk
        count += 1
    header_size, folder_size = 36, 8
    files_at = header_size + folder_size
    data_at = files_at + len(entries)
    total = data_at + len(blocks)
    header = struct.pack("<4sIIIIIBBHHHHH", b"MSCF", 0, total, 0, files_at, 0, 3, 1, 1, len(members), 0, 0, 0)
    folder = struct.pack("<IHH", data_at, count, 0)
    with open(path, "wb") as out:
        out.write(header + folder + entries + blocks)


def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, (declared, codec, mark, categories) in TITLES.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(mark + catalogue(declared, categories).encode(codec))
    for name, (code_page, declared, items) in PACKS.items():
        members = [(stored.encode(code_page), picture(index)) for index, (_, stored, _) in enumerate(items)]
        codec = {"UTF-8": "utf-8", "GB2312": "gbk"}[declared]
        members.append((b"content.xml", manifest(declared, items).encode(codec)))
        cabinet(os.path.join(folder, name), members)
    cabinet(os.path.join(folder, "pack-broken-names.cab"), [(name, picture(0)) for name in BROKEN_NAMES])
    pictures = os.path.join(folder, "pictures")
    os.makedirs(pictures, exist_ok=True)
    with open(os.path.join(os.fsencode(pictures), PICTURE_1252), "wb") as out:
        out.write(picture(1))


if __name__ == "__main__":
    main()
