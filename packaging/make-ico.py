#!/usr/bin/env python3
"""Writes the Windows icon (app/corppay.ico) from the SVG icon (packaging/corppay.svg).

The icon file holds the SVG drawn at 16, 24, 32, 48 and 256 pixels, each image as PNG (which
Windows reads in icons since Vista). The drawing is done by rsvg-convert (Debian package
librsvg2-bin); a Windows build only compiles the committed .ico into the program, so it needs
neither tool. Run it again after a change of the SVG:

    packaging/make-ico.py [SVG [ICO]]
"""
import os
import struct
import subprocess
import sys
import tempfile

SIZES = (16, 24, 32, 48, 256)


def png_of(svg, size, folder):
    png = os.path.join(folder, f"{size}.png")
    subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), svg, "-o", png],
                   check=True)
    with open(png, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"rsvg-convert wrote no PNG for {size} pixels")
    return data


def ico(images):
    # ICONDIR: reserved, type 1 (icon), count; then one ICONDIRENTRY per image, then the images.
    header = struct.pack("<HHH", 0, 1, len(images))
    entries = b""
    offset = len(header) + 16 * len(images)
    for size, data in images:
        side = 0 if size >= 256 else size  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return header + entries + b"".join(data for _, data in images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    svg = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "corppay.svg")
    out = sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, "..", "app", "corppay.ico")
    with tempfile.TemporaryDirectory() as folder:
        images = [(size, png_of(svg, size, folder)) for size in SIZES]
    with open(out, "wb") as f:
        f.write(ico(images))
    print(f"{os.path.normpath(out)}: {len(images)} images, {os.path.getsize(out)} bytes")


if __name__ == "__main__":
    main()
