#!/usr/bin/python3
"""Draws the window's face (face.jpg, 265 by 220, and face@2x.jpg at twice the pixels for scaled
screens) and the application icon
(icons/hicolor/SIZExSIZE/trovik.png, 16 to 256 pixels).

Run with Debian's python3 and python3-pil:  /usr/bin/python3 assets/make-artwork.py
The output is committed; the build only compiles it in. Everything is drawn from fixed numbers and
a fixed random seed, so running the script again gives the same pictures.
"""

import random
from pathlib import Path

from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = Path(__file__).resolve().parent
WIDTH, HEIGHT = 265, 220

FRAME = (192, 192, 192)
BAR = (0, 0, 0)
BAR_TOP, BAR_BOTTOM = 4, 18  # the black title bar, rows inclusive
BAND = (200, 200, 200)  # the light band that closes the bar
GLYPH = (224, 224, 224)
TITLE = "trovik by -zelvo-"
ITALIC_FONTS = [
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Italic.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Italic.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Oblique.ttf",
]


def italic_font(size):
    for candidate in ITALIC_FONTS:
        if Path(candidate).exists():
            return ImageFont.truetype(candidate, size)
    raise SystemExit("no italic face found; install fonts-liberation2")


def textured_field(rng, k):
    """A dark, grainy field with pale diagonal streaks, k device pixels to a form pixel."""
    width, height = WIDTH * k, HEIGHT * k
    field = Image.new("RGB", (width, height))
    pixels = field.load()
    for y in range(height):
        for x in range(width):
            grain = rng.randint(-9, 9)
            pixels[x, y] = (34 + grain, 38 + grain, 52 + grain)
    streaks = Image.new("L", (width, height), 0)
    draw = ImageDraw.Draw(streaks)
    for _ in range(26):
        x = rng.randint(-80, WIDTH) * k
        y = rng.randint(20, HEIGHT) * k
        length = rng.randint(30, 110) * k
        draw.line((x, y, x + length, y - length // 2), fill=rng.randint(40, 110),
                  width=rng.randint(1, 2) * k)
    streaks = streaks.filter(ImageFilter.GaussianBlur(1.2 * k))
    pale = Image.new("RGB", (width, height), (170, 180, 200))
    return Image.composite(pale, field, streaks)


def face(k, name):
    """The face with k device pixels to each of the form's 265 by 220 pixels."""

    def box(left, top, right, bottom):  # form pixels, both ends included
        return (left * k, top * k, (right + 1) * k - 1, (bottom + 1) * k - 1)

    rng = random.Random(1998)
    image = textured_field(rng, k)
    draw = ImageDraw.Draw(image)

    # The light grey frame round the edges, two pixels wide, with a darker inner line.
    draw.rectangle(box(0, 0, WIDTH - 1, HEIGHT - 1), outline=FRAME, width=2 * k)
    draw.rectangle(box(2, 2, WIDTH - 3, HEIGHT - 3), outline=(128, 128, 128), width=k)
    draw.rectangle(box(3, 3, WIDTH - 4, 3), fill=FRAME)

    # The title bar, its light band, the title and the two glyphs.
    draw.rectangle(box(3, BAR_TOP, WIDTH - 4, BAR_BOTTOM), fill=BAR)
    draw.rectangle(box(3, BAR_BOTTOM + 1, WIDTH - 4, BAR_BOTTOM + 3), fill=BAND)
    draw.text((7 * k, BAR_TOP * k), TITLE, font=italic_font(11 * k), fill=(230, 230, 230))
    draw.rectangle(box(240, 12, 244, 13), fill=GLYPH)  # "-": x 240 to 244
    # "X": x 249 to 257, y 7 to 14, two pixels thick.
    for d in range(2 * k):
        draw.line((249 * k + d, 7 * k, 256 * k + d, 15 * k - 1), fill=GLYPH)
        draw.line((249 * k + d, 15 * k - 1, 256 * k + d, 7 * k), fill=GLYPH)
    image.save(HERE / name, quality=95, subsampling=0, optimize=True)


def icon():
    """The application icon: a small copy of the window with a magnifying glass, drawn at 256
    pixels and scaled down to each size the desktop asks for."""
    size = 256
    k = size // 64  # the drawing below is in 64ths of the icon
    image = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    draw.rounded_rectangle((2 * k, 2 * k, 61 * k, 61 * k), radius=8 * k, fill=(34, 38, 52),
                           outline=FRAME, width=3 * k)
    draw.rectangle((5 * k, 6 * k, 58 * k, 15 * k), fill=BAR)
    draw.rectangle((45 * k, 10 * k, 49 * k, 11 * k), fill=GLYPH)
    draw.line((52 * k, 8 * k, 57 * k, 13 * k), fill=GLYPH, width=k)
    draw.line((52 * k, 13 * k, 57 * k, 8 * k), fill=GLYPH, width=k)
    # A magnifying glass: a pale ring round a red lens, and a handle.
    draw.ellipse((14 * k, 20 * k, 42 * k, 48 * k), outline=(230, 230, 230), width=4 * k)
    draw.line((38 * k, 44 * k, 52 * k, 58 * k), fill=(230, 230, 230), width=6 * k)
    draw.ellipse((19 * k, 25 * k, 37 * k, 43 * k), fill=(200, 30, 30))
    for side in (16, 24, 32, 48, 64, 128, 256):
        folder = HERE / "icons" / "hicolor" / f"{side}x{side}"
        folder.mkdir(parents=True, exist_ok=True)
        scaled = image if side == size else image.resize((side, side), Image.LANCZOS)
        scaled.save(folder / "trovik.png", optimize=True)


if __name__ == "__main__":
    face(1, "face.jpg")
    face(2, "face@2x.jpg")  # for screens that Qt scales by 2
    icon()
