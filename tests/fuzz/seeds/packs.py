#!/usr/bin/env python3
"""Writes the seed corpora of the store and cabarc fuzz targets: the sample
packs of assets/msnpack/, cabinets made with gcab (stored and MSZIP) and with
our own writer (fuzz_write_cabinet, built in build-fuzz/ by default), and for
the store also content.xml texts on their own.
   tests/fuzz/seeds/packs.py [path of fuzz_write_cabinet]"""
import os
import shutil
import stat
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "scripts", "samples"))
from cabinets import EMOTICON, PACKAGE, USERTILE, manifest  # noqa: E402

CORPUS = os.path.join(HERE, "..", "corpus")
WRITER = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build-fuzz", "tests", "fuzz", "fuzz_write_cabinet")
# The cabarc target reads its first byte as the pattern: 0 all files, 1 *.gif, 2 content.xml, 3 [a-m]*.
ALL, PICTURES, MANIFEST, BRACKETS = b"\0", b"\1", b"\2", b"\3"


def emoticon(file, name="Smile", key=":)"):
    return (f'<item xmlns:emoticon="{EMOTICON}" contentid="Pack1" contenttype="P" type="emoticon" '
            f'mimetype="image/gif" file="{file}" emoticon:displayname="{name}" emoticon:keysequence="{key}" />')


def usertile(file, name="Robot"):
    return (f'<item xmlns:usertile="{USERTILE}" contentid="{file}" contenttype="P" type="usertile" '
            f'mimetype="image/gif" file="{file}" usertile:displayname="{name}" />')


def wink(file, name="Heart"):
    return (f'<item contentid="w" contenttype="D" type="wink" mimetype="application/x-ms-cab" '
            f'file="{file}" displayname="{name}" />')


def gif(index=0):
    folder = os.path.join(ROOT, "assets", "gif")
    names = sorted(n for n in os.listdir(folder) if n.endswith(".gif"))
    with open(os.path.join(folder, names[index % len(names)]), "rb") as f:
        return f.read()


class Work:
    def __init__(self):
        self.folder = tempfile.mkdtemp()

    def file(self, name, data):
        path = os.path.join(self.folder, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data.encode() if isinstance(data, str) else data)
        return name

    def gcab(self, names, compress=True):
        out = os.path.join(self.folder, "gcab.cab")
        if os.path.exists(out):
            os.remove(out)
        subprocess.run(["gcab", "-c"] + (["-z"] if compress else []) + [out] + names, cwd=self.folder, check=True)
        return read(out)

    def ours(self, entries):
        """entries: (file in the work folder, name in the cabinet)"""
        out = os.path.join(self.folder, "ours.cab")
        subprocess.run([WRITER, out] + [os.path.join(self.folder, f) + "=" + n for f, n in entries], check=True)
        return read(out)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def samples():
    folder = os.path.join(ROOT, "assets", "msnpack")
    for name in sorted(os.listdir(folder)):
        data = read(os.path.join(folder, name))
        yield name.split(".")[0], b"M" + data if name.upper().endswith(".QZK") else data


def made_cabinets(work):
    smile, grin = work.file("smile.gif", gif(0)), work.file("grin.gif", gif(1))
    theme = work.file("content.xml", manifest(["theme", emoticon("smile.gif"), emoticon("grin.gif", "Grin", ":D")]))
    yield "gcab-emoticons-mszip", work.gcab([smile, grin, theme])
    yield "gcab-emoticons-stored", work.gcab([smile, grin, theme], compress=False)
    yield "ours-emoticons", work.ours([(smile, "smile.gif"), (grin, "grin.gif"), (theme, "content.xml")])

    work.file("inner/heart.swf", b"FWS\x06" + bytes(40))
    inner = work.gcab(["inner/heart.swf"])
    work.file("heart.cab", inner)
    winkxml = work.file("wink.xml", manifest(["wink", wink("heart.cab")]))
    yield "ours-wink", work.ours([("wink.xml", "content.xml"), ("heart.cab", "heart.cab")])
    yield "gcab-inner", inner

    tile = work.file("pictures/robot.gif", gif(2))
    tiles = work.file("tiles.xml", manifest(["theme", usertile("pictures\\robot.gif")]))
    yield "ours-subfolder", work.ours([(tile, "pictures\\robot.gif"), (tiles, "content.xml")])
    yield "gcab-subfolder", work.gcab([tile, theme])

    upper = work.file("upper.xml", manifest(["theme", emoticon("SMILE.GIF")]))
    yield "ours-letter-case", work.ours([(smile, "Smile.gif"), (upper, "content.xml")])
    yield "ours-missing-item", work.ours([(smile, "smile.gif"), (theme, "content.xml")])
    yield "ours-no-manifest", work.ours([(smile, "smile.gif"), (grin, "grin.gif")])
    bad = work.file("bad.xml", "<package><item file='smile.gif'/></package>")
    yield "ours-bad-manifest", work.ours([(smile, "smile.gif"), (bad, "CONTENT.XML")])
    # Small pictures where only the names matter, to keep the corpus small.
    tiny = work.file("tiny.gif", b"GIF89a\x01\x00\x01\x00\x00\x00\x00;")
    yield "ours-outside", work.ours([(tiny, "..\\smile.gif"), (tiny, "/grin.gif"), (tiny, "C:smile.gif"),
                                     (theme, "content.xml")])
    yield "ours-wink-not-cabinet", work.ours([(smile, "heart.cab"), (winkxml, "content.xml")])
    readonly = work.file("readonly.gif", gif(3))
    os.chmod(os.path.join(work.folder, readonly), stat.S_IRUSR)
    yield "ours-readonly", work.ours([(readonly, "readonly.gif"), (theme, "content.xml")])
    yield "ours-empty", work.ours([])
    yield "ours-clashing-names", work.ours([(tiny, "e.gif"), (tiny, "e.gif\\f.gif"), (tiny, "d\\g.gif"), (tiny, "d")])
    yield "ours-long-name", work.ours([(smile, "p" * 251 + ".gif"), (theme, "content.xml")])
    whole = work.ours([(smile, "smile.gif"), (grin, "grin.gif"), (theme, "content.xml")])
    yield "ours-truncated", whole[: len(whole) - 20]
    damaged = bytearray(whole)
    damaged[len(damaged) - 30] ^= 0xFF
    yield "ours-damaged-block", bytes(damaged)


def manifests():
    yield "xml-emoticons", manifest(["theme", emoticon("smile.gif"), emoticon("grin.gif", "Grin", ":D")])
    yield "xml-usertile", manifest(["theme", usertile("robot.gif")])
    yield "xml-wink", manifest(["wink", wink("heart.cab")])
    yield "xml-paths", manifest(["theme", emoticon("sub\\a.gif"), emoticon("sub/b.gif"), emoticon("..\\c.gif"),
                                 emoticon("/d.gif"), emoticon("e.gif/f.gif")])
    yield "xml-shared-file", manifest(["theme", emoticon("a.gif"), emoticon("A.GIF"), emoticon("a.gif", "Again")])
    yield "xml-prefixed", (f'<m:package xmlns:m="{PACKAGE}" type="theme"><m:item type="emoticon" file="x.gif"/>'
                           f'<item type="emoticon" file="ignored.gif"/></m:package>')
    yield "xml-no-file", manifest(["theme", '<item type="emoticon" />'])
    yield "xml-no-items", manifest(["theme"])
    yield "xml-utf16", "\ufeff" + manifest(["theme", emoticon("\u00e9t\u00e9.gif")]), "utf-16-le"
    yield "xml-content-item", manifest(["theme", emoticon("content.xml")])
    # A file where a folder must go, and names as long as a file name can be (and longer).
    yield "xml-clashing-names", manifest(["theme", emoticon("e.gif"), emoticon("e.gif/f.gif")])
    yield "xml-long-name", manifest(["theme", emoticon("p" * 251 + ".gif"), emoticon("q" * 256 + ".gif")])


def write(folder, name, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    store = os.path.join(CORPUS, "store")
    cabarc = os.path.join(CORPUS, "cabarc")
    for name, data in samples():
        write(store, "sample-" + name, data)
        write(cabarc, "sample-" + name, ALL + data)
    write(cabarc, "sample-faces-pictures", PICTURES + next(d for n, d in samples() if n == "faces"))
    work = Work()
    try:
        for name, data in made_cabinets(work):
            write(store, name, data)
            write(cabarc, name, ALL + data)
        write(cabarc, "gcab-subfolder-brackets", BRACKETS + dict(made_cabinets(work))["gcab-subfolder"])
        write(cabarc, "ours-emoticons-manifest", MANIFEST + dict(made_cabinets(work))["ours-emoticons"])
    finally:
        shutil.rmtree(work.folder, ignore_errors=True)
    for name, text, *encoding in manifests():
        write(store, name, text.encode(*(encoding or ["utf-8"])))


if __name__ == "__main__":
    main()
