#!/usr/bin/python3
"""Exports a pack of 50 animated 40 x 40 emoticons for every chat program,
times each export (the median of alternated runs), reads every file written
back with tools that are not ours (ffprobe, webpinfo, Pillow) against each
program's published limits, measures each file's fidelity to its source
picture and the window's longest wait while the exports run as its jobs, and sets the sizes beside ImageMagick's convert making the same files
from the same pictures with its default settings. Then exports every bundled
pack for every program and judges every file the same way, and sets a wink's
exported frames beside the frames the player draws.
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
    sources = {}
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
        sources["Face %d" % n] = [source_picture(pixels, palette) for pixels, _ in frames]
        items.append('<item xmlns:emoticon="http://messenger.msn.com/emoticon/1.0" type="emoticon" mimetype="image/gif" '
                     'file="%s" emoticon:displayname="Face %d" emoticon:keysequence=":f%d" />' % (name, n, n))
    with open(os.path.join(pictures, "content.xml"), "w") as out:
        out.write('<?xml version="1.0" encoding="UTF-8"?>\r\n<package xmlns="http://messenger.msn.com/messengercontent/1.0" '
                  'version="1.0" type="theme">\r\n' + "\r\n".join(items) + "\r\n</package>\r\n")
    pack = os.path.join(folder, "faces50.cab")
    names = ["content.xml"] + sorted(f for f in os.listdir(pictures) if f.endswith(".gif"))
    subprocess.run(["gcab", "-c", "-z", pack] + names, cwd=pictures, check=True)
    return pack, pictures, sources


def source_picture(pixels, palette):
    """A frame as RGBA, index 0 transparent as the GIF has it."""
    picture = Image.new("RGBA", (40, 40))
    picture.putdata([(0, 0, 0, 0) if i == 0 else palette[i] + (255,) for i in pixels])
    return picture


def frames_of(path):
    """Every frame of an exported file as RGBA, as Pillow composes them or, for WEBM, as FFmpeg's VP9 decoder gives them."""
    if path.endswith(".webm"):
        folder = tempfile.mkdtemp()
        subprocess.run(["ffmpeg", "-v", "error", "-c:v", "libvpx-vp9", "-i", path, os.path.join(folder, "%05d.png")], check=True)
        frames = [Image.open(os.path.join(folder, n)).convert("RGBA") for n in sorted(os.listdir(folder))]
        shutil.rmtree(folder)
        return frames
    frames = []
    with Image.open(path) as picture:
        for i in range(getattr(picture, "n_frames", 1)):
            picture.seek(i)
            frames.append(picture.convert("RGBA"))
    return frames


def difference(source, exported):
    """Mean absolute difference per channel between a source frame and the exported frame sampled back to its size
    (each source pixel at the middle of the block it became); transparent pixels are equal whatever their colour.
    None when the picture was not scaled by a whole factor."""
    # Lossy alpha spreads a little past the picture's edge: half opaque counts as visible.
    def visible(picture):
        return picture.getchannel("A").point(lambda a: 255 if a > 127 else 0).getbbox()
    inside, outside = visible(source), visible(exported)
    if not inside or not outside:
        return None
    factor = (outside[2] - outside[0]) / (inside[2] - inside[0])
    if factor != int(factor) or (outside[3] - outside[1]) != factor * (inside[3] - inside[1]):
        return None
    factor = int(factor)
    left, top = outside[0] - factor * inside[0], outside[1] - factor * inside[1]
    total, count = 0, 0
    theirs = exported.load()
    for y in range(source.height):
        for x in range(source.width):
            a = source.getpixel((x, y))
            b = theirs[left + factor * x + factor // 2, top + factor * y + factor // 2]
            total += 0 if a[3] == 0 and b[3] == 0 else sum(abs(p - q) for p, q in zip(a, b))
            count += 4
    return total / count


def fidelity(folder, sources):
    """The worst mean difference over every frame of every file the export wrote, against its source frames."""
    worst = 0
    for base, _, names in os.walk(folder):
        for name in names:
            stem, _, extension = name.rpartition(".")
            if extension not in ("png", "gif", "webp", "webm") or stem == "tray":
                continue
            source = sources.get(stem.replace("_", " "))
            if not source:
                continue
            for original, exported in zip(source, frames_of(os.path.join(base, name))):
                measured = difference(original, exported)
                if measured is None:
                    return None
                worst = max(worst, measured)
    return worst


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


def convert_sizes(pictures, work, factor, side, extension):
    """ImageMagick's convert making the same files from the same pictures, scaled alike, with its defaults."""
    total = 0
    for name in sorted(os.listdir(pictures)):
        if not name.endswith(".gif"):
            continue
        out = os.path.join(work, "im-" + name[:-4] + "." + extension)
        subprocess.run(["convert", os.path.join(pictures, name), "-coalesce", "-filter", "point", "-resize", "%d%%" % (100 * factor),
                        "-gravity", "center", "-background", "none", "-extent", "%dx%d" % (side, side),
                        out], check=True)
        total += os.path.getsize(out)
    return total


def folder_bytes(folder, extension):
    return sum(os.path.getsize(os.path.join(b, n)) for b, _, ns in os.walk(folder) for n in ns
               if n.endswith("." + extension) and n != "tray.png")


def summary_row(*cells):
    """One row of bench/run-all's table, when it asks for them."""
    path = os.environ.get("BENCH_SUMMARY")
    if path:
        with open(path, "a") as rows:
            rows.write("| " + " | ".join(cells) + " |\n")


# Where ImageMagick's convert can make the same file: the target, the scale of a 40 x 40 emoticon, the side, the format.
# (Debian's convert writes no APNG: asked for one, it writes the first frame alone.)
CONVERTED = [("discord", 3, 128, "gif"), ("whatsapp", 12, 512, "webp")]
# Exact for the lossless formats; WEBM's VP9 is lossy.
MOST_DIFFERENCE = {"telegram-stickers": 4, "telegram-emoji": 4}


def unpack_archives(target, out):
    if target in ("matrix", "pidgin"):
        for archive in os.listdir(out):
            shutil.unpack_archive(os.path.join(out, archive), os.path.join(out, "unpacked"))


def fifty_emoticons(work, pack, sources):
    print("| Target | Files | Within the limits | Worst mean difference from the source | Median time (s) | Bytes |")
    print("|---|---|---|---|---|---|")
    all_times = []
    for target in LIMITS:
        out = os.path.join(work, target)
        times = [export(target, pack, out) for _ in range(RUNS)]
        all_times.append(statistics.median(times))
        unpack_archives(target, out)
        count, broken = check(target, out)
        worst = fidelity(out, sources)
        size = sum(os.path.getsize(os.path.join(b, n)) for b, _, ns in os.walk(out) for n in ns)
        print("| %s | %d | %s | %s | %.2f | %d |" % (target, count, "all" if not broken else "; ".join(broken[:3]),
                                                   "%.2f" % worst if worst is not None else "not a whole scale",
                                                   statistics.median(times), size))
        summary_row("Chat export", "%s, 50 animated 40 x 40 emoticons, files within the limits" % target,
                    "%d of %d" % (count - len(broken), count), "ffprobe, webpinfo, Pillow", "-", "-", "all", "yes" if not broken else "no")
        goal = MOST_DIFFERENCE.get(target, 0)
        summary_row("Chat export", "%s, worst mean difference per channel from the source, sampled back" % target,
                    "%.2f" % worst if worst is not None else "-", "(none)", "-", "-", "at most %d" % goal,
                    "yes" if worst is not None and worst <= goal else "no")
    print("\nAll eight targets: %.2f s (goal: at most 10 s)" % sum(all_times))
    summary_row("Chat export", "all eight targets, 50 animated emoticons, median of %d" % RUNS, "%.1f s" % sum(all_times),
                "(none)", "-", "-", "at most 10 s", "yes" if sum(all_times) <= 10 else "no")


def sizes_beside_convert(work, pictures):
    if not shutil.which("convert"):
        return
    print()
    for target, factor, side, extension in CONVERTED:
        ours = folder_bytes(os.path.join(work, target), extension)
        theirs = convert_sizes(pictures, work, factor, side, extension)
        print("%s's %s files: %d bytes, ImageMagick convert's %d bytes: %.2f of its size" % (target, extension.upper(), ours, theirs,
                                                                                            ours / theirs))
        summary_row("Chat export", "%s's 50 %s files, size" % (target, extension.upper()), "%d bytes" % ours, "ImageMagick convert",
                    "%d bytes" % theirs, "%.2f" % (ours / theirs), "at most 1.00", "yes" if ours <= theirs else "no")


def bundled_packs(work):
    """Every bundled pack for every program, every file judged against the program's limits."""
    folder = os.path.join(os.path.dirname(QUILLANE), "msnpack")
    print("\n| Bundled pack | " + " | ".join(LIMITS) + " |")
    print("|---|" + "---|" * len(LIMITS))
    within, written = 0, 0
    # The bundled packs only: the program keeps work files of its own beside them.
    for name in sorted(n for n in os.listdir(folder) if n.upper().endswith((".QZK", ".QZC"))):
        cells = []
        for target in LIMITS:
            out = os.path.join(work, "bundled", name, target)
            os.makedirs(out)
            run = subprocess.run([QUILLANE, "--export=" + target, "--output=" + out, os.path.join(folder, name)],
                                 capture_output=True, text=True)
            if run.returncode != 0:
                cells.append("failed")
                continue
            unpack_archives(target, out)
            count, broken = check(target, out)
            within += count - len(broken)
            written += count
            cells.append("%d of %d" % (count - len(broken), count))
        print("| %s | %s |" % (name, " | ".join(cells)))
    print("\nEvery file of every bundled pack for every program: %d of %d within the limits" % (within, written))
    summary_row("Chat export", "every bundled pack for every program, files within the limits", "%d of %d" % (within, written),
                "ffprobe, webpinfo, Pillow", "-", "-", "all", "yes" if within == written else "no")


def wink_beside_player(work):
    """A bundled wink exported for Signal (APNG, at its stage's size) against the frames the player draws of its movie."""
    drawer = os.path.join(ROOT, BUILD, "bench", "draw_movie_frames")
    folder = os.path.join(work, "wink")
    os.makedirs(os.path.join(folder, "drawn"))
    pack = os.path.join(os.path.dirname(QUILLANE), "msnpack", "heart.QZK")
    # A .QZK pack is a cabinet without its first byte.
    restored = os.path.join(work, "restored.cab")
    with open(pack, "rb") as source, open(restored, "wb") as cabinet:
        cabinet.write(b"M" + source.read())
    subprocess.run(["cabextract", "-q", "-d", folder, restored], check=True)
    inner = [n for n in os.listdir(folder) if n.lower().endswith(".cab")][0]
    subprocess.run(["cabextract", "-q", "-d", folder, "-F", "*.swf", os.path.join(folder, inner)], check=True)
    movie = [n for n in os.listdir(folder) if n.lower().endswith(".swf")][0]
    rate = float(subprocess.run([drawer, os.path.join(folder, movie), os.path.join(os.path.dirname(QUILLANE), "ruffle"),
                                 os.path.join(folder, "drawn")], capture_output=True, text=True, check=True,
                                env=dict(os.environ, QT_QPA_PLATFORM="offscreen")).stdout.split()[-1])
    drawn = [Image.open(os.path.join(folder, "drawn", n)).convert("RGBA") for n in sorted(os.listdir(os.path.join(folder, "drawn")))]
    export("signal", pack, os.path.join(folder, "signal"))
    exported = os.path.join(folder, "signal", "heart", "Bouncing Heart.png")
    total, count, at = 0, 0, 0
    with Image.open(exported) as picture:
        for i in range(picture.n_frames):
            picture.seek(i)
            frame = picture.convert("RGBA")
            player = drawn[min(len(drawn) - 1, round(at * rate / 1000))]
            left, top = (frame.width - player.width) // 2, (frame.height - player.height) // 2
            ours = frame.crop((left, top, left + player.width, top + player.height)).tobytes()
            theirs = player.tobytes()
            total += sum(abs(ours[k] - theirs[k]) for k in range(len(ours)) if k % 4 != 3)
            count += len(ours) * 3 // 4
            at += picture.info["duration"]
    mean = total / count
    print("\nA wink (heart.QZK) for Signal: %d frames against the %d the player drew, mean difference per channel %.2f"
          % (i + 1, len(drawn), mean))
    summary_row("Chat export", "a wink for Signal, mean difference per channel from the frames the player draws", "%.2f" % mean,
                "(none)", "-", "-", "at most 4", "yes" if mean <= 4 else "no")


def window_stall(pack):
    """The same pack for all eight programs as the window runs them, as jobs, with the window's longest wait."""
    run = subprocess.run([os.path.join(ROOT, BUILD, "bench", "chat_export_stall"), pack, os.path.dirname(QUILLANE)],
                         capture_output=True, text=True, check=True, env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    print("\n" + run.stdout.strip())


def main():
    work = tempfile.mkdtemp()
    try:
        pack, pictures, sources = make_pack(work)
        fifty_emoticons(work, pack, sources)
        window_stall(pack)
        sizes_beside_convert(work, pictures)
        bundled_packs(work)
        wink_beside_player(work)
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
