#!/usr/bin/python3
"""Turns the window's artwork into what a Windows resource script takes: the face as a 24-bit
bitmap of the same 265 by 220 pixels (face.bmp) and the icon in every hicolor size (trovik.ico).

Run by the build (Debian's python3-pil):  make-resources.py ASSETS_DIR OUTPUT_DIR
"""

import sys
from pathlib import Path

from PIL import Image

assets, output = Path(sys.argv[1]), Path(sys.argv[2])
output.mkdir(parents=True, exist_ok=True)

Image.open(assets / "face.jpg").convert("RGB").save(output / "face.bmp", format="BMP")

sizes = [16, 24, 32, 48, 64, 128, 256]
icons = [Image.open(assets / f"icons/hicolor/{s}x{s}/trovik.png").convert("RGBA") for s in sizes]
icons[-1].save(output / "trovik.ico", format="ICO", sizes=[(s, s) for s in sizes],
               append_images=icons[:-1])
