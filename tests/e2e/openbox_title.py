#!/usr/bin/env python3
"""How much room openbox's frame leaves a window's title, and how much the title needs.

Usage: openbox_title.py text TITLE, which prints "TEXT FONT": the width in pixels TITLE needs in
openbox's title font, and that font; or openbox_title.py label WINDOW, which prints the width in
pixels that openbox's label leaves the text of WINDOW's title (its label window, less the 2
pixels openbox keeps clear at each end), -1 before it has one. Openbox shortens the title with an
ellipsis when TEXT > LABEL.

The title is measured as openbox measures it: by Pango through Xft on the same display (so at
the same resolution), in the font of openbox's configuration file for the active window. Pango,
Xft and X11 are libraries openbox itself is linked with, so nothing beyond openbox is needed.
"""
import ctypes
import math
import re
import subprocess
import sys
import xml.etree.ElementTree as ElementTree


def run(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def title_font():
    """The Pango description of openbox's active-window title font, from its configuration."""
    font = {"name": "sans", "size": "8", "weight": "bold", "slant": "normal"}  # Debian's rc.xml
    match = re.search(r'"(.*)"', run("xprop", "-root", "_OB_CONFIG_FILE"))
    for element in ElementTree.parse(match.group(1)).iter() if match else ():
        if element.tag.split("}")[-1] == "font" and element.get("place") == "ActiveWindow":
            font.update((child.tag.split("}")[-1], child.text.strip())
                        for child in element if (child.text or "").strip())
    style = " ".join(font[key] for key in ("weight", "slant") if font[key].lower() != "normal")
    return f"{font['name']}, {style} {font['size']}".replace("  ", " ")


class Pointer(ctypes.c_void_p):
    """A pointer a C function returns, kept whole to be handed back (a plain c_void_p result
    would become a Python int, passed on as a 32-bit int)."""


def text_width(text, font):
    """TEXT's logical width in FONT, in pixels rounded up, as openbox's Pango layout has it."""
    x11, pango, xft = (ctypes.CDLL(f"lib{name}.so.{version}") for name, version in (
        ("X11", 6), ("pango-1.0", 0), ("pangoxft-1.0", 0)))
    for function in (x11.XOpenDisplay, xft.pango_xft_get_font_map, pango.pango_layout_new,
                     pango.pango_font_map_create_context, pango.pango_font_description_from_string):
        function.restype = Pointer
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("openbox_title.py: cannot open the display")
    context = pango.pango_font_map_create_context(
        xft.pango_xft_get_font_map(display, x11.XDefaultScreen(display)))
    layout = pango.pango_layout_new(context)
    pango.pango_layout_set_font_description(
        layout, pango.pango_font_description_from_string(font.encode()))
    pango.pango_layout_set_single_paragraph_mode(layout, 1)
    pango.pango_layout_set_text(layout, text.encode(), -1)
    logical = (ctypes.c_int * 4)()  # a PangoRectangle: x, y, width, height in Pango units
    pango.pango_layout_get_extents(layout, None, logical)  # the process ends: nothing is freed
    return math.ceil(logical[2] / 1024)  # PANGO_SCALE


def children(window):
    """WINDOW's children as (id, width, height)."""
    listing = run("xwininfo", "-children", "-id", window)
    return [(child, int(width), int(height)) for child, width, height in
            re.findall(r"^ +(0x[0-9a-f]+) .*  (\d+)x(\d+)[+-]-?\d+[+-]-?\d+  ", listing, re.M)]


def label_room(window):
    """The width openbox's label leaves the title of WINDOW's frame, or -1 before it has one.

    The frame is WINDOW's parent; its title bar is the frame's child with the most children (the
    icon, the label, the buttons and the grips); the label is the widest of those that are
    shorter than the bar but not mere lines.
    """
    tree = run("xwininfo", "-children", "-id", window)
    frame = re.search(r"Parent window id: (0x[0-9a-f]+)", tree).group(1)
    bars = [(len(children(bar)), bar, width, height) for bar, width, height in children(frame)]
    if not bars:
        return -1
    _, bar, bar_width, bar_height = max(bars)
    parts = [width for _, width, height in children(bar) if 3 < height < bar_height and
             width < bar_width]
    return max(parts) - 2 * 2 if parts else -1


if __name__ == "__main__":
    if sys.argv[1:2] == ["text"]:
        font = title_font()
        print(text_width(sys.argv[2], font), font)
    else:
        print(label_room(sys.argv[2]))
