#!/usr/bin/env python3
"""How much room openbox's frame leaves a window's title, and how much the title needs.

Usage: openbox_title.py text TITLE, which prints "TEXT FONT": the width in pixels TITLE needs in
openbox's title font, and that font; or openbox_title.py label WINDOW, which prints the width in
pixels that openbox's label leaves the text of WINDOW's title (its label window, less the 2 pixels
openbox keeps clear at each end), -1 before it has one. Openbox shortens the title with an
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

PANGO_SCALE = 1024


def run(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def title_font():
    """The Pango description of openbox's active-window title font, from its configuration."""
    name, size, weight, slant = "sans", "8", "bold", "normal"  # as Debian's rc.xml has them
    match = re.search(r'"(.*)"', run("xprop", "-root", "_OB_CONFIG_FILE"))
    if match:
        for font in ElementTree.parse(match.group(1)).getroot().iter():
            if font.tag.split("}")[-1] == "font" and font.get("place") == "ActiveWindow":
                values = {child.tag.split("}")[-1]: (child.text or "").strip() for child in font}
                name = values.get("name") or name
                size = values.get("size") or size
                weight = values.get("weight") or weight
                slant = values.get("slant") or slant
    style = " ".join(word for word in (weight, slant) if word.lower() != "normal")
    return f"{name}, {style} {size}".replace("  ", " ")


def text_width(text, font):
    """TEXT's logical width in FONT, in pixels rounded up, as openbox's Pango layout has it."""
    x11 = ctypes.CDLL("libX11.so.6")
    pango = ctypes.CDLL("libpango-1.0.so.0")
    xft = ctypes.CDLL("libpangoxft-1.0.so.0")
    gobject = ctypes.CDLL("libgobject-2.0.so.0")
    pointer = ctypes.c_void_p
    x11.XOpenDisplay.restype = pointer
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultScreen.argtypes = [pointer]
    xft.pango_xft_get_font_map.restype = pointer
    xft.pango_xft_get_font_map.argtypes = [pointer, ctypes.c_int]
    pango.pango_font_map_create_context.restype = pointer
    pango.pango_font_map_create_context.argtypes = [pointer]
    pango.pango_layout_new.restype = pointer
    pango.pango_layout_new.argtypes = [pointer]
    pango.pango_font_description_from_string.restype = pointer
    pango.pango_font_description_from_string.argtypes = [ctypes.c_char_p]
    pango.pango_layout_set_font_description.argtypes = [pointer, pointer]
    pango.pango_layout_set_single_paragraph_mode.argtypes = [pointer, ctypes.c_int]
    pango.pango_layout_set_text.argtypes = [pointer, ctypes.c_char_p, ctypes.c_int]
    pango.pango_layout_get_extents.argtypes = [pointer, pointer, pointer]
    gobject.g_object_unref.argtypes = [pointer]

    class Rectangle(ctypes.Structure):
        _fields_ = [(field, ctypes.c_int) for field in ("x", "y", "width", "height")]

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
    logical = Rectangle()
    pango.pango_layout_get_extents(layout, None, ctypes.byref(logical))
    gobject.g_object_unref(layout)
    gobject.g_object_unref(context)
    return math.ceil(logical.width / PANGO_SCALE)


def label_room(window):
    """The width openbox's label leaves the title of WINDOW's frame, or None before it has one.

    The frame is WINDOW's parent; its title bar is the frame's child with the most children (the
    icon, the label, the buttons and the grips); the label is the widest of those that are
    shorter than the bar but not mere lines.
    """
    tree = run("xwininfo", "-tree", "-id", window)
    frame = re.search(r"Parent window id: (0x[0-9a-f]+)", tree).group(1)
    windows = []  # (depth, width, height, number of children)
    for line in run("xwininfo", "-tree", "-id", frame).splitlines():
        window = re.match(r"( *)0x[0-9a-f]+ .*  (\d+)x(\d+)[+-]-?\d+[+-]-?\d+  ", line)
        children = re.match(r" *(\d+) child(ren)?:", line)
        if window:
            windows.append([len(window.group(1)), int(window.group(2)), int(window.group(3)), 0])
        elif children and windows:
            windows[-1][3] = int(children.group(1))
    tops = [index for index, window in enumerate(windows) if window[0] == windows[0][0]]
    if not tops:
        return None
    bar = max(tops, key=lambda index: windows[index][3])
    _, bar_width, bar_height, _ = windows[bar]
    below = []
    for depth, width, height, _ in windows[bar + 1:]:
        if depth <= windows[bar][0]:
            break
        below.append((depth, width, height))
    parts = [width for depth, width, height in below
             if depth == below[0][0] and 3 < height < bar_height and width < bar_width]
    return max(parts) - 2 * 2 if parts else None


def main():
    if sys.argv[1:2] == ["text"]:
        font = title_font()
        print(text_width(sys.argv[2], font), font)
    else:
        room = label_room(sys.argv[2])
        print(room if room is not None else -1)


if __name__ == "__main__":
    main()
