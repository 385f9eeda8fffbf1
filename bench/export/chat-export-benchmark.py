#!/usr/bin/python3
"""Exports a pack of 50 animated 40 x 40 emoticons for every chat program,
times each export (the median of alternated runs), reads every file written
back with tools that are not ours (ffprobe, webpinfo, Pillow) against each
program's published limits, and sets the sizes beside ImageMagick's convert
making the same files from the same pictures with its default settings.
   bench/export/chat-export-benchmark.py [BUILD] [RUNS]   (default build, 3)"""
import json
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "scripts", "samples"))
import gif  # noqa: E402

from PIL import Image  # noqa: E402

BUILD = sys.argv[1] if len(sys.argv) > 1 else "build"
RUNS = int(sys.argv[2]) if len(sys.argv) > 2 else 3
QUILLANE = os.path.join(ROOT, BUILD, "Quillane", "quillane")

# Each program's limits as its documentation gives them: side, bytes still, bytes animated, seconds.
LIMITS = {
    "discord": (128, 256 * 1024, 256 * 1024, 0),
    "telegram-stickers": (512, 512000, 256000, 3),
    "telegram-emoji": (100, 512000, 256000, 3),
    "signal": (512, 300000, 300000, 3),
    "whatsapp": (512, 100000, 500000, 0),
    "slack": (128, 128000 - 1, 128000 - 1, 0),
    "matrix": (128, 0, 0, 0),
    "pidgin": (0, 0, 0, 0),
}


def make_pack(folder):
    """50 emoticons of 8 frames, a face bobbing, each in its own colours, with a transparent corner."""
    random.seed(11)
    pictures = os.path.join(folder, "pictures")
    os.makedirs(pictures)
    items = []
    for n in range(50):
        colour = (random.randrange(256), random.randrange(256), random.randrange(256))
        palette = [(0, 0, 0), colour, (20, 20, 20), (255, 255, 255)]
        frames = []
        for f in range(8):
            pixels = [0] * (40 * 40)
            for y in range(40):
                for x in range(40):
                    dy = y - 20 - (f % 4)
                    if (x - 20) ** 2 + dy ** 2 < 300:
                        pixels[y * 40 + x] = 2 if (x - 20) ** 2 + dy ** 2 > 250 else 1
            for eye in (14, 26):
                pixels[(16 - f % 4) * 40 + eye] = 3
            frames.append((pixels, 12))
        name = "e%02d.gif" % n
        gif.write_gif(os.path.join(pictures, name), 40, 40, palette, frames)
        items.append('<item xmlns:emoticon="http://messenger.msn.com/emoticon/1.0" type="emoticon" mimetype="image/gif" '
                     'file="%s" emoticon:displayname="Face %d" emoticon:keysequence=":f%d" />' % (name, n, n))
    with open(os.path.join(pictures, "content.xml"), "w") as out:
        out.write('<?xml version="1.0" encoding="UTF-8"?>\r\n<package xmlns="http://messenger.msn.com/messengercontent/1.0" '
                  'version="1.0" type="theme">\r\n' + "\r\n".join(items) + "\r\n</package>\r\n")
    pack = os.path.join(folder, "faces50.cab")
    names = ["content.xml"] + sorted(f for f in os.listdir(pictures) if f.endswith(".gif"))
    subprocess.run(["gcab", "-c", "-z", pack] + names, cwd=pictures, check=True)
    return pack, pictures


def facts(path):
    """Side, frames and seconds as tools that are not ours read them."""
    if path.endswith(".webm"):
        out = subprocess.run(["ffprobe", "-v", "error", "-count_packets", "-show_entries",
                              "stream=width,height,nb_read_packets:format=duration", "-of", "json", path],
                             capture_output=True, text=True, check=True).stdout
        data = json.loads(out)
        stream = data["streams"][0]
        return stream["width"], stream["height"], int(stream["nb_read_packets"]), float(data["format"]["duration"])
    if path.endswith(".webp"):
        subprocess.run(["webpinfo", "-quiet", path], check=True)
    with Image.open(path) as picture:
        frames = getattr(picture, "n_frames", 1)
        seconds = 0
        for i in range(frames):
            picture.seek(i)
            seconds += picture.info.get("duration", 0) or 0
        return picture.size[0], picture.size[1], frames, seconds / 1000


def check(target, folder):
    side, still, animated, seconds = LIMITS[target]
    files = []
    for base, _, names in os.walk(folder):
        files += [os.path.join(base, n) for n in names if n.rsplit(".", 1)[-1] in ("png", "gif", "webp", "webm")]
    broken = []
    for path in files:
        if os.path.basename(path) == "tray.png":
            continue
        width, height, frames, length = facts(path)
        limit = animated if frames > 1 else still
        if side and (width, height) != (side, side):
            broken.append("%s: %d x %d" % (path, width, height))
        if limit and os.path.getsize(path) > limit:
            broken.append("%s: %d bytes" % (path, os.path.getsize(path)))
        if seconds and length > seconds + 0.01:
            broken.append("%s: %.2f s" % (path, length))
    return len(files), broken


def export(target, pack, out):
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    start = time.perf_counter()
    run = subprocess.run([QUILLANE, "--export=" + target, "--output=" + out, pack], capture_output=True, text=True)
    elapsed = time.perf_counter() - start
    if run.returncode != 0:
        sys.exit("%s failed: %s" % (target, run.stdout + run.stderr))
    return elapsed


def convert_sizes(pictures, work):
    """ImageMagick's convert making Discord's 128 x 128 GIFs from the same pictures, with its defaults."""
    if not shutil.which("convert"):
        return None
    total = 0
    for name in sorted(os.listdir(pictures)):
        if not name.endswith(".gif"):
            continue
        out = os.path.join(work, "im-" + name)
        subprocess.run(["convert", os.path.join(pictures, name), "-coalesce", "-filter", "point", "-resize", "300%",
                        "-gravity", "center", "-background", "none", "-extent", "128x128", out], check=True)
        total += os.path.getsize(out)
    return total


def summary_row(*cells):
    """One row of bench/run-all's table, when it asks for them."""
    path = os.environ.get("BENCH_SUMMARY")
    if path:
        with open(path, "a") as rows:
            rows.write("| " + " | ".join(cells) + " |\n")


def main():
    work = tempfile.mkdtemp()
    try:
        pack, pictures = make_pack(work)
        print("| Target | Files | Within the limits | Median time (s) | Bytes |")
        print("|---|---|---|---|---|")
        all_times = []
        for target in LIMITS:
            out = os.path.join(work, target)
            times = [export(target, pack, out) for _ in range(RUNS)]
            all_times.append(statistics.median(times))
            if target in ("matrix", "pidgin"):
                for archive in os.listdir(out):
                    shutil.unpack_archive(os.path.join(out, archive), os.path.join(out, "unpacked"))
            count, broken = check(target, out)
            size = sum(os.path.getsize(os.path.join(b, n)) for b, _, ns in os.walk(out) for n in ns)
            print("| %s | %d | %s | %.2f | %d |" % (target, count, "all" if not broken else "; ".join(broken[:3]),
                                                  statistics.median(times), size))
            summary_row("Chat export", "%s, 50 animated 40 x 40 emoticons, files within the limits" % target,
                        "%d of %d" % (count - len(broken), count), "ffprobe, webpinfo, Pillow", "-", "-", "all", "yes" if not broken else "no")
        print("\nAll eight targets: %.2f s (goal: at most 10 s)" % sum(all_times))
        summary_row("Chat export", "all eight targets, 50 animated emoticons, median of %d" % RUNS, "%.1f s" % sum(all_times),
                    "(none)", "-", "-", "at most 10 s", "yes" if sum(all_times) <= 10 else "no")
        ours = sum(os.path.getsize(os.path.join(work, "discord", "faces50", n))
                   for n in os.listdir(os.path.join(work, "discord", "faces50")))
        theirs = convert_sizes(pictures, work)
        if theirs:
            print("Discord's GIFs: %d bytes, ImageMagick convert's %d bytes: %.2f of its size" % (ours, theirs, ours / theirs))
            summary_row("Chat export", "Discord's 50 GIFs, size", "%d bytes" % ours, "ImageMagick convert", "%d bytes" % theirs,
                        "%.2f" % (ours / theirs), "at most 1.00", "yes" if ours <= theirs else "no")
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
