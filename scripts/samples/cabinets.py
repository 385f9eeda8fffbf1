"""Builds the sample packs with gcab: winks (an outer cabinet holding the
manifest and an inner cabinet with the movie and its still picture), emoticon
packs and display picture packs. A .QZK pack is the cabinet without its first
byte."""
import os
import shutil
import subprocess
import tempfile
from xml.sax.saxutils import quoteattr

PACKAGE = "http://messenger.msn.com/messengercontent/1.0"
EMOTICON = "http://messenger.msn.com/emoticon/1.0"
USERTILE = "http://messenger.msn.com/usertile/1.0"


# The time every file of a sample pack carries, so that making the samples again
# gives the same bytes.
SAMPLE_TIME = 1767225600  # 2026-01-01 00:00 UTC


def cabinet(path, folder, names):
    if shutil.which("gcab") is None:
        raise SystemExit("gcab is needed: apt-get install gcab")
    for name in names:
        os.utime(os.path.join(folder, name), (SAMPLE_TIME, SAMPLE_TIME))
    subprocess.run(["gcab", "-c", "-z", os.path.abspath(path)] + names, cwd=folder, check=True)


def finish(cab_path, target):
    """Moves the cabinet to its pack name; .QZK drops the first byte."""
    with open(cab_path, "rb") as handle:
        data = handle.read()
    if target.upper().endswith(".QZK"):
        data = data[1:]
    with open(target, "wb") as handle:
        handle.write(data)


def manifest(lines):
    return ('<?xml version="1.0" encoding="UTF-8" ?>\r\n'
            f'<package xmlns="{PACKAGE}" version="1.0" type="{lines[0]}">\r\n'
            + "".join(line + "\r\n" for line in lines[1:]) + " </package>\r\n")


def wink_pack(target, name, title, movie_path, still_path):
    """The wink's own cabinet holds its movie and the still picture that stands
    for it, both listed in that cabinet's content.xml."""
    with tempfile.TemporaryDirectory() as work:
        inner = os.path.join(work, "inner")
        os.mkdir(inner)
        movie, still = f"{name}.swf", f"{name}.gif"
        shutil.copy(movie_path, os.path.join(inner, movie))
        shutil.copy(still_path, os.path.join(inner, still))
        with open(os.path.join(inner, "content.xml"), "w", encoding="utf-8", newline="") as out:
            out.write(manifest(["wink", f'<item type="animation" mimetype="application/x-shockwave-flash" '
                                        f'file={quoteattr(movie)} />',
                                f'<item type="thumbnail" mimetype="image/gif" file={quoteattr(still)} />']))
        cabinet(os.path.join(work, f"{name}.cab"), inner, ["content.xml", movie, still])
        with open(os.path.join(work, "content.xml"), "w", encoding="utf-8", newline="") as out:
            out.write(manifest(["wink", f'<item contentid={quoteattr(name)} contenttype="D" type="wink" '
                                        f'mimetype="application/x-ms-cab" file={quoteattr(name + ".cab")} '
                                        f'displayname={quoteattr(title)} />']))
        cabinet(os.path.join(work, "pack.cab"), work, ["content.xml", f"{name}.cab"])
        finish(os.path.join(work, "pack.cab"), target)


def emoticon_pack(target, emoticons):
    """emoticons: (file path, name, key)"""
    with tempfile.TemporaryDirectory() as work:
        lines = ["theme"]
        for path, name, key in emoticons:
            file = os.path.basename(path)
            shutil.copy(path, os.path.join(work, file))
            lines.append(f'<item xmlns:emoticon="{EMOTICON}" contentid="Pack1" contenttype="P" type="emoticon" '
                         f'emoticon:namespaceprefix="Pack1" mimetype="image/gif" file={quoteattr(file)} '
                         f'emoticon:displayname={quoteattr(name)} emoticon:keysequence={quoteattr(key)} />')
        with open(os.path.join(work, "content.xml"), "w", encoding="utf-8", newline="") as out:
            out.write(manifest(lines))
        cabinet(os.path.join(work, "pack.cab"), work, [os.path.basename(p) for p, _, _ in emoticons] + ["content.xml"])
        finish(os.path.join(work, "pack.cab"), target)


def display_pack(target, pictures):
    """pictures: (file path, name)"""
    with tempfile.TemporaryDirectory() as work:
        lines = ["theme"]
        for path, name in pictures:
            file = os.path.basename(path)
            shutil.copy(path, os.path.join(work, file))
            lines.append(f'<item xmlns:usertile="{USERTILE}" contentid={quoteattr(file)} contenttype="P" '
                         f'usertile:version="1.0" type="usertile" mimetype="image/gif" file={quoteattr(file)} '
                         f'usertile:default="false" usertile:displayname={quoteattr(name)} />')
        with open(os.path.join(work, "content.xml"), "w", encoding="utf-8", newline="") as out:
            out.write(manifest(lines))
        cabinet(os.path.join(work, "pack.cab"), work, [os.path.basename(p) for p, _ in pictures] + ["content.xml"])
        finish(os.path.join(work, "pack.cab"), target)
