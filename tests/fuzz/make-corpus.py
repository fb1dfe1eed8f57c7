#!/usr/bin/env python3
"""Writes the fuzz targets' seed inputs into tests/fuzz/corpus/<target>/.

    tests/fuzz/make-corpus.py

The seeds are small files made from the samples and the help sources in the tree, or written
here; pictures need ImageMagick's convert and the help file chmcmd (both in scripts/setup.sh).
Only the files named "seed-*" are rewritten: the inputs the fuzzers found ("found-*") stay.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
CORPUS = os.path.join(HERE, "corpus")


def source(path):
    with open(os.path.join(ROOT, path), "rb") as f:
        return f.read()


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "seed-" + name), "wb") as f:
        f.write(data)


def clear(target):
    folder = os.path.join(CORPUS, target)
    if os.path.isdir(folder):
        for name in os.listdir(folder):
            if name.startswith("seed-"):
                os.remove(os.path.join(folder, name))


# --- settings file -------------------------------------------------------------------------

def settings():
    for name, line in [
        ("string", "string:/srv/scans/in"),
        ("expandstring", "expandstring:$HOME/cache"),
        ("integer", "integer:-5"),
        ("binary", "binary:43 6f\t72"),
        ("escapes", "string:C:\\\\In\\x20two\\nlines\\r\\tand\\=sign"),
        ("name", "  Convert\\=Start\\x3bFolder "),
        ("key", "Software\\Corvanta\\Program"),
        ("unicode", "string:\u00dcbersicht \u2713 \u6587\u4ef6"),
    ]:
        write("SettingsText", name, line.encode())
    for name, text in [
        ("documented", "; Corvanta settings\n"
                       "[Software\\Corvanta\\Program]\n"
                       "ConvertStartFolder=string:/srv/scans/in\n"
                       "ConvertDestinationFolder=string:/srv/scans/out\n"),
        ("hand-written", "\ufeff; seeded by hand\r\n\r\n"
                         "  [ Software\\Corvanta\\Program ]  \r\n"
                         "  # another comment\r\n"
                         "  Start  =  String:/srv/in  \r\n"
                         "Count=INTEGER: +12 \r\n"
                         "Bytes=binary:43 6F\t72\r\n"
                         "[software\\corvanta\\program]\r\n"
                         "Later=expandstring:$HOME\r\n"),
        ("two-keys", "[Software\\Other]\nKeep=integer:1\n\n[Software\\Third]\n"
                     "Flag=binary:01\n\\x3bName\\x20=string:trailing\\x20\n"),
        ("damaged", "[Software]\nV=string:C:\\In\n"),
    ]:
        write("SettingsDocument", name, text.encode())


# --- pictures --------------------------------------------------------------------------------

def convert(arguments, suffix):
    with tempfile.TemporaryDirectory() as folder:
        out = os.path.join(folder, "picture." + suffix)
        subprocess.run(["convert", *arguments, out], check=True)
        with open(out, "rb") as f:
            return f.read()


def jpegs():
    scan = os.path.join(ROOT, "samples", "scan.jpg")
    small = [scan, "-strip", "-resize", "40x30!"]
    variants = {
        "baseline": small + ["-quality", "75"],
        "progressive": small + ["-interlace", "JPEG"],
        "gray": small + ["-colorspace", "Gray"],
        "cmyk": small + ["-colorspace", "CMYK"],
        "restarts": small + ["-define", "jpeg:restart-interval=1"],
        "full-chroma": small + ["-sampling-factor", "1x1"],
        "odd-size": [scan, "-strip", "-resize", "17x9!", "-sampling-factor", "2x2"],
    }
    for name, arguments in variants.items():
        data = convert(arguments, "jpg")
        write("JpegCheck", name, data)
        write("JpegHeader", name, data)


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(width, height, depth, color, rows, palette=None, transparency=None, interlace=0):
    data = b"\x89PNG\r\n\x1a\n"
    data += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, color, 0, 0, interlace))
    if palette:
        data += chunk(b"PLTE", palette)
    if transparency:
        data += chunk(b"tRNS", transparency)
    compressed = zlib.compress(rows, 9)
    half = len(compressed) // 2
    data += chunk(b"IDAT", compressed[:half]) + chunk(b"IDAT", compressed[half:])
    return data + chunk(b"IEND", b"")


def pngs():
    seeds = {"diagram": source("samples/diagram.png")}
    # Each row: its filter byte (cycling through all five) and its packed samples.
    def rows(width, height, bits):
        size = (width * bits + 7) // 8
        return b"".join(bytes([y % 5]) + bytes((x * 37 + y * 11) & 0xFF for x in range(size))
                        for y in range(height))
    seeds["gray1"] = png(13, 5, 1, 0, rows(13, 5, 1))
    seeds["rgb16"] = png(4, 3, 16, 2, rows(4, 3, 48))
    seeds["palette"] = png(6, 4, 4, 3, rows(6, 4, 4), palette=bytes(range(48)))
    seeds["palette-trns"] = png(6, 4, 8, 3, rows(6, 4, 8), palette=bytes(range(48)),
                                transparency=b"\x00\x80")
    seeds["gray-alpha"] = png(5, 5, 8, 4, rows(5, 5, 16))
    seeds["rgba"] = png(3, 3, 8, 6, rows(3, 3, 32))
    # Adam7: the seven reduced pictures of a 9 x 9 gray picture, one after another.
    passes = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2),
              (0, 1, 1, 2)]
    adam7 = b""
    for x, y, dx, dy in passes:
        w, h = (9 - x + dx - 1) // dx, (9 - y + dy - 1) // dy
        if w > 0 and h > 0:
            adam7 += rows(w, h, 8)
    seeds["interlaced"] = png(9, 9, 8, 0, adam7, interlace=1)
    seeds["magick-palette"] = convert([os.path.join(ROOT, "samples", "diagram.png"), "-strip",
                                       "-resize", "24x24", "-colors", "8"], "png")
    for name, data in seeds.items():
        write("PngCheck", name, data)
        write("PngChunks", name, data)


# --- compound files --------------------------------------------------------------------------

def compound():
    write("CompoundFile", "report.doc", source("samples/report.doc"))
    write("CompoundFile", "budget.xls", source("samples/budget.xls"))


# --- help files --------------------------------------------------------------------------------

SITEMAP = """<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">
<HTML><BODY>
<UL>
<LI> <OBJECT type="text/sitemap">
\t<param name="Name" value="Welcome &amp; more">
\t<param name="Local" value="page.htm">
\t</OBJECT>
<UL>
<LI> <OBJECT type="text/sitemap">
\t<param name='Name' value='Below'>
\t<param name=Local value=page.htm#below>
\t</OBJECT>
</UL>
</UL>
</BODY></HTML>
"""


def help_files():
    write("Sitemap", "contents.hhc", source("help/Contents.hhc"))
    write("Sitemap", "index.hhk", source("help/Index.hhk"))
    write("Sitemap", "nested.hhc", SITEMAP.encode())
    write("Sitemap", "utf8.hhk", '<meta charset="utf-8"><UL><LI><OBJECT type="text/sitemap">'
          '<param name="Name" value="\u00dcbersicht"><param name="Local" value="a.htm">'
          '</OBJECT></UL>'.encode())
    project = {
        "help.hhp": "[OPTIONS]\nCompatibility=1.1 or later\nCompiled file=help.chm\n"
                    "Contents file=toc.hhc\nIndex file=index.hhk\nDefault topic=page.htm\n"
                    "Display compile progress=No\nFull-text search=No\n"
                    "Language=0x409 English (United States)\nTitle=Fuzz seed\n\n"
                    "[FILES]\npage.htm\n",
        "toc.hhc": SITEMAP,
        "index.hhk": SITEMAP,
        "page.htm": "<html><head><title>Page</title></head><body><h1 id=below>Page</h1>"
                    "<p>One page.</p></body></html>\n",
    }
    with tempfile.TemporaryDirectory() as folder:
        for name, text in project.items():
            with open(os.path.join(folder, name), "w") as f:
                f.write(text)
        subprocess.run(["chmcmd", "help.hhp"], cwd=folder, check=True,
                       stdout=subprocess.DEVNULL)
        with open(os.path.join(folder, "help.chm"), "rb") as f:
            write("ChmFile", "help.chm", f.read())


# --- the workers' protocol lines ---------------------------------------------------------------

def protocols():
    for name, line in [
        ("word", '{"document":"/home/u/a.doc","pdf":"/tmp/x/a.pdf","route":"word"}'),
        ("excel", '{"document":"/home/u/b \\u00e9.xls","pdf":"/tmp/x/b.pdf","route":"excel"}'),
        ("shell", '{"route":"shell","document":"/d/c.rtf","pdf":"/d/c.pdf"}'),
        ("image", '{"route":"image","document":"/d/e.wmf","pdf":"/d/e.pdf"}'),
        ("answer", '{"detail":"","failure":"none"}'),
        ("password", '{"detail":"the document asks for a password","failure":"password"}'),
        ("memory", '{"failure":"memory","detail":"more than 2048 MB"}'),
    ]:
        write("OfficeProtocol", name, line.encode())
    for name, line in [
        ("prepare", '{"bytes":"/tmp/w/1","command":"prepare","content":"page",'
                    '"document":"/home/u/page.html"}'),
        ("render", '{"bytes":"/tmp/w/2","command":"render","content":"drawing",'
                   '"document":"/home/u/d.svgz","pdf":"/tmp/w/d.pdf"}'),
        ("forget", '{"command":"forget"}'),
        ("answer", '{"detail":"","failure":"none"}'),
        ("ended", '{"detail":"crashed","failure":"renderer-ended"}'),
        ("timed-out", '{"detail":"30 s","failure":"print-timed-out"}'),
    ]:
        write("WebProtocol", name, line.encode())


# --- plain text ----------------------------------------------------------------------------------

def texts():
    greek = "\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \u03ba\u03cc\u03c3\u03bc\u03b5\n"
    russian = "\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440! " * 3 + "\n"
    japanese = "\u6771\u4eac\u306f\u65e5\u672c\u306e\u9996\u90fd\u3067\u3059\u3002\n" * 2
    chinese = "\u4e2d\u6587\u6587\u672c\u7684\u7f16\u7801\u3002\n" * 2
    seeds = {
        "notes.txt": source("samples/notes.txt"),
        "orders.xml": source("samples/orders.xml"),
        "page.html": source("samples/page.html"),
        "expenses.csv": source("samples/expenses.csv"),
        "utf8-mark": b"\xef\xbb\xbf" + greek.encode(),
        "latin1": "Caf\u00e9 cr\u00e8me \u00e0 2\u00a0\u00a3\n".encode("latin-1"),
        "stray-byte": "Z\u00fcrich Gen\u00e8ve ".encode() + b"\xe9t\xe9 \xc0\xaf\xe2",
        "utf16le": "\ufeff".encode("utf-16-le") + greek.encode("utf-16-le"),
        "utf16be-xml": '<?xml version="1.0"?><a>\u00fc</a>'.encode("utf-16-be"),
        "utf32le": "\ufeff".encode("utf-32-le") + "Z\u00fcrich".encode("utf-32-le"),
        "declared-greek": ('<?xml version="1.0" encoding="ISO-8859-7"?>\n<t>' + greek +
                           "</t>\n").encode("iso-8859-7"),
        "declared-unknown": b'<?xml version="1.0" encoding="x-none"?><t>caf\xe9</t>',
        "windows-1251": russian.encode("cp1251"),
        "shift-jis": japanese.encode("shift_jis"),
        "gb18030": chinese.encode("gb18030"),
        "euc-kr": "\ud55c\uad6d\uc5b4 \ubb38\uc11c\uc785\ub2c8\ub2e4.\n".encode("euc_kr") * 2,
    }
    for name, data in seeds.items():
        write("TextDecoder", name, data)
        write("TextDecoderDetector", name, data)


# --- file names and the command line -------------------------------------------------------------

def names():
    for name, data in [
        ("plain", b"report.doc"),
        ("latin1", b"caf\xe9.txt"),
        ("line-break", b"line\nbreak.txt"),
        ("direction", "\u202etxt.exe".encode()),
        ("unicode", "\u00dcbersicht \u6587\u4ef6.pdf".encode()),
        ("overlong", b"\xc0\xaf\xe0\x80\xaf\xed\xa0\x80\xf4\x90\x80\x80.doc"),
        ("c1", "a\u0085b\u2028c".encode()),
        ("utf16", "x\u202ay\u2066\ud800z".encode("utf-16-le", "surrogatepass")),
    ]:
        write("NativeNames", name, data)
    for name, arguments in [
        ("batch", [b"-BATCH"]),
        ("files", [b"a.doc", b"../b.png", b"/x/./c.xls", b"dir/", b""]),
        ("options", [b"a.doc", b"--", b"-odd-name.doc", b"--help"]),
        ("help", [b"--help"]),
        ("version", [b"--version"]),
        ("unknown", [b"--x\nforged"]),
        ("not-text", [b"caf\xe9.doc", b"/x/../caf\xe9.doc"]),
    ]:
        write("CommandLine", name, b"\0".join(arguments))


TARGETS = ["ChmFile", "CommandLine", "CompoundFile", "JpegCheck", "JpegHeader", "NativeNames",
           "OfficeProtocol", "PngCheck", "PngChunks", "SettingsDocument", "SettingsText",
           "Sitemap", "TextDecoder", "TextDecoderDetector", "WebProtocol"]


def main():
    for tool in ("convert", "chmcmd"):
        if not shutil.which(tool):
            sys.exit(f"make-corpus: {tool} is missing (scripts/setup.sh installs it)")
    for target in TARGETS:
        clear(target)
    settings()
    jpegs()
    pngs()
    compound()
    help_files()
    protocols()
    texts()
    names()


if __name__ == "__main__":
    main()
