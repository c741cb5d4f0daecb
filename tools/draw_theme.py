#!/usr/bin/env python3
"""Draws the images of the default theme (Packages/Theme - Default/) and of
the toolbar: light greys, thin bevels, a flat white selected tab.

    tools/draw_theme.py [--check]

With --check nothing is written; the exit status is 1 when a shipped image
differs from what this script draws.

Every image is RGBA with power-of-two sides, so that no renderer pads it and
filtering never reaches transparent padding. Opaque images are fully opaque
(alpha 255), so they look the same whether or not the caller blends.

Bordered images (the theme's TextureShader elements) carry their border
widths in the file name (`_wNhM`). They are drawn as a 3 x 3 grid whose
cells each show their band of the image upside down, so this script draws
each image the right way up and then turns its top, middle and bottom bands
over one by one before writing: the files look odd in an image viewer, and
right on screen. Icons (SimpleTextureShader) are drawn upright as they are.

Shapes are rendered with 4 x 4 supersampling, so edges and diagonals are
smooth at the small sizes used here.
"""
import os
import struct
import sys
import zlib

from package_files import write_or_check

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
THEME = os.path.join(ROOT, "Packages", "Theme - Default")

SAMPLES = 4

# The palette.
WINDOW = (0xD6, 0xD9, 0xDE)        # panels and the tab header band
FACE = (0xE9, 0xEB, 0xEE)          # button faces
FACE_DOWN = (0xC9, 0xCE, 0xD5)     # pressed faces
FACE_OVER = (0xD8, 0xDC, 0xE2)     # pressed faces under the pointer
LIGHT = (0xFF, 0xFF, 0xFF)         # bevel highlight
SHADOW = (0x9A, 0xA1, 0xAB)        # bevel shadow and outlines
DARK = (0x6E, 0x76, 0x80)          # strong outlines
TEXT_BACK = (0xFF, 0xFF, 0xFF)     # the text area and the selected tab
TRACK = (0xEE, 0xF0, 0xF2)
PUCK = (0xBF, 0xC5, 0xCD)
INK = (0x33, 0x38, 0x40)           # icon strokes
ACCENT = (0x2F, 0x6F, 0xD0)        # blue icon parts
BOOKMARK = (0x2F, 0x6F, 0xD0)


class Image:
    """An RGBA image drawn by coverage: each shape is a predicate over
    points, sampled SAMPLES x SAMPLES times per pixel and blended over what
    is there."""

    def __init__(self, width, height, fill=None):
        self.width = width
        self.height = height
        colour = (0, 0, 0, 0) if fill is None else tuple(fill) + (255,)
        self.pixels = [list(colour) for _ in range(width * height)]

    def blend(self, x, y, colour, alpha):
        if alpha <= 0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        pixel = self.pixels[y * self.width + x]
        source_alpha = alpha * (colour[3] / 255.0 if len(colour) > 3 else 1.0)
        out_alpha = source_alpha + pixel[3] / 255.0 * (1 - source_alpha)
        if out_alpha <= 0:
            return
        for i in range(3):
            pixel[i] = round((colour[i] * source_alpha + pixel[i] * pixel[3] / 255.0 * (1 - source_alpha)) / out_alpha)
        pixel[3] = round(out_alpha * 255)

    def shape(self, inside, colour, box=None):
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        for y in range(max(0, int(y0)), min(self.height, int(y1) + 1)):
            for x in range(max(0, int(x0)), min(self.width, int(x1) + 1)):
                hits = 0
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        if inside(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES):
                            hits += 1
                self.blend(x, y, colour, hits / (SAMPLES * SAMPLES))

    def rect(self, x0, y0, x1, y1, colour):
        self.shape(lambda x, y: x0 <= x < x1 and y0 <= y < y1, colour, (x0, y0, x1, y1))

    def rounded(self, x0, y0, x1, y1, radius, colour, corners="tl tr bl br"):
        def inside(x, y):
            if not (x0 <= x < x1 and y0 <= y < y1):
                return False
            for corner, cx, cy in (("tl", x0 + radius, y0 + radius), ("tr", x1 - radius, y0 + radius),
                                   ("bl", x0 + radius, y1 - radius), ("br", x1 - radius, y1 - radius)):
                if corner not in corners:
                    continue
                outside_x = x < cx if corner[1] == "l" else x > cx
                outside_y = y < cy if corner[0] == "t" else y > cy
                if outside_x and outside_y and (x - cx) ** 2 + (y - cy) ** 2 > radius ** 2:
                    return False
            return True
        self.shape(inside, colour, (x0, y0, x1, y1))

    def frame(self, x0, y0, x1, y1, radius, outline, fill, corners="tl tr bl br", width=1):
        self.rounded(x0, y0, x1, y1, radius, outline, corners)
        self.rounded(x0 + width, y0 + width, x1 - width, y1 - width, max(radius - width, 0), fill, corners)

    def line(self, ax, ay, bx, by, colour, width=1.0):
        def inside(x, y):
            dx, dy = bx - ax, by - ay
            length2 = dx * dx + dy * dy
            t = 0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
            px, py = ax + t * dx, ay + t * dy
            return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2
        pad = width + 1
        self.shape(inside, colour, (min(ax, bx) - pad, min(ay, by) - pad, max(ax, bx) + pad, max(ay, by) + pad))

    def polygon(self, points, colour):
        def inside(x, y):
            crossings = False
            for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
                if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                    crossings = not crossings
            return crossings
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.shape(inside, colour, (min(xs), min(ys), max(xs), max(ys)))

    def ellipse(self, cx, cy, rx, ry, colour):
        self.shape(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1, colour,
                   (cx - rx, cy - ry, cx + rx, cy + ry))

    def glyphs(self, text, x, y, colour, scale=1):
        """Draws text in the 3 x 5 pixel font below, one pixel apart."""
        for character in text:
            rows = FONT[character]
            for row, bits in enumerate(rows):
                for column, bit in enumerate(bits):
                    if bit == "#":
                        self.rect(x + column * scale, y + row * scale, x + (column + 1) * scale,
                                  y + (row + 1) * scale, colour)
            x += (len(rows[0]) + 1) * scale

    def flipped_bands(self, border_height):
        """A copy with its top border band, middle and bottom border band each
        turned upside down (see the module comment)."""
        rows = [self.pixels[y * self.width:(y + 1) * self.width] for y in range(self.height)]
        top, middle, bottom = (rows[:border_height], rows[border_height:self.height - border_height],
                               rows[self.height - border_height:])
        flipped = Image(self.width, self.height)
        flipped.pixels = [pixel for row in top[::-1] + middle[::-1] + bottom[::-1] for pixel in row]
        return flipped

    def png(self):
        raw = b"".join(b"\x00" + bytes(channel for pixel in self.pixels[y * self.width:(y + 1) * self.width]
                                       for channel in pixel) for y in range(self.height))

        def chunk(kind, data):
            return (struct.pack(">I", len(data)) + kind + data +
                    struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
                chunk(b"IEND", b""))


FONT = {
    "A": [".#.", "#.#", "###", "#.#", "#.#"],
    "B": ["##.", "#.#", "##.", "#.#", "##."],
    "a": ["...", "##.", ".##", "#.#", "###"],
    "b": ["#..", "#..", "##.", "#.#", "##."],
    "c": ["...", ".##", "#..", "#..", ".##"],
    ".": ["...", "...", "...", "...", ".#."],
    "*": ["...", "#.#", ".#.", "#.#", "..."],
}


# Bordered images.

def bevel(width, height, face, raised=True, radius=2):
    image = Image(width, height, WINDOW)
    image.frame(0, 0, width, height, radius, SHADOW if raised else DARK, face)
    top_left, bottom_right = (LIGHT, SHADOW) if raised else (FACE_DOWN, FACE)
    image.line(radius + 0.5, 1.5, width - radius - 0.5, 1.5, top_left)
    image.line(1.5, radius + 0.5, 1.5, height - radius - 0.5, top_left)
    if raised:
        image.line(radius + 0.5, height - 1.5, width - radius - 0.5, height - 1.5, blend(face, bottom_right, 0.35))
    return image


def blend(a, b, share):
    return tuple(round(a[i] * (1 - share) + b[i] * share) for i in range(3))


def row_button(width, height, face, part, pressed):
    """One button of a row: rounded on the outer side(s), a divider inside."""
    image = Image(width, height, WINDOW)
    corners = {"left": "tl bl", "middle": "", "right": "tr br"}[part]
    x0 = 0
    x1 = width
    image.frame(x0, 0, x1, height, 3, DARK if pressed else SHADOW, face, corners)
    if part != "left":
        image.rect(0, 1, 1, height - 1, SHADOW)
    if not pressed:
        image.line(1.5, 1.5, width - 1.5, 1.5, LIGHT)
    return image


def tab(width, height, fill, outline, top_margin, bottom_line):
    image = Image(width, height, WINDOW)
    image.frame(0, top_margin, width, height + 3, 3, outline, fill, "tl tr")
    if bottom_line:
        image.rect(0, height - 1, width, height, outline)
    return image


def scroll_track(vertical):
    image = Image(16, 16, TRACK)
    if vertical:
        image.rect(0, 0, 1, 16, blend(TRACK, SHADOW, 0.4))
    else:
        image.rect(0, 0, 16, 1, blend(TRACK, SHADOW, 0.4))
    return image


def scroll_puck(vertical):
    image = scroll_track(vertical)
    if vertical:
        image.frame(3, 1, 13, 15, 4, blend(PUCK, DARK, 0.35), PUCK)
        image.line(4.5, 4.5, 4.5, 11.5, blend(PUCK, LIGHT, 0.45))
    else:
        image.frame(1, 3, 15, 13, 4, blend(PUCK, DARK, 0.35), PUCK)
        image.line(4.5, 4.5, 11.5, 4.5, blend(PUCK, LIGHT, 0.45))
    return image


def hint_panel():
    image = Image(8, 8, (0xFF, 0xFF, 0xE6))
    image.rect(0, 0, 8, 1, DARK)
    image.rect(0, 7, 8, 8, DARK)
    image.rect(0, 0, 1, 8, DARK)
    image.rect(7, 0, 8, 8, DARK)
    return image


def strip(height, fill, top_line, bottom_line):
    image = Image(8, height, fill)
    if top_line:
        image.rect(0, 0, 8, 1, SHADOW)
        image.rect(0, 1, 8, 2, LIGHT)
    if bottom_line:
        image.rect(0, height - 2, 8, height - 1, LIGHT)
        image.rect(0, height - 1, 8, height, SHADOW)
    return image


def status_button(pressed):
    """A button of the status bar: the bar's own top edge runs on over it,
    and a groove on its left sets it off from what lies left of it."""
    face = FACE_DOWN if pressed else WINDOW
    image = Image(8, 16, face)
    image.rect(0, 0, 8, 1, SHADOW)
    image.rect(0, 1, 8, 2, blend(face, SHADOW, 0.5) if pressed else LIGHT)
    image.rect(0, 4, 1, 14, SHADOW)
    image.rect(1, 4, 2, 14, LIGHT)
    return image


def tree_button(pressed):
    image = Image(16, 16, TEXT_BACK)
    image.frame(0, 0, 16, 16, 2, SHADOW, FACE_DOWN if pressed else TEXT_BACK)
    return image


# Icons, drawn upright on transparent ground.

def icon_bookmark(multiple):
    image = Image(16, 16)
    if multiple:
        image.polygon([(6, 1), (14, 1), (14, 12), (10, 9), (6, 12)], blend(BOOKMARK, LIGHT, 0.45))
    image.polygon([(3, 3), (11, 3), (11, 15), (7, 11.5), (3, 15)], BOOKMARK)
    image.line(4.5, 4.5, 9.5, 4.5, blend(BOOKMARK, LIGHT, 0.5))
    return image


def icon_plus_minus(plus):
    image = Image(8, 8)
    image.rect(1, 3, 7, 4, INK)
    if plus:
        image.rect(3, 1, 4, 7, INK)
    return image


def icon_cross(size, width):
    image = Image(size, size)
    margin = size * 0.28
    image.line(margin, margin, size - margin, size - margin, INK, width)
    image.line(size - margin, margin, margin, size - margin, INK, width)
    return image


def icon_down_arrow():
    image = Image(16, 16)
    image.polygon([(4, 6), (12, 6), (8, 11)], INK)
    return image


def icon_text(text, underline=False):
    image = Image(16, 16)
    scale = 2
    width = sum(len(FONT[c][0]) + 1 for c in text) * scale - scale
    x = (16 - width) // 2
    image.glyphs(text, x, 2, INK, scale)
    if underline:
        image.rect(x, 13, x + width, 14, ACCENT)
    return image


def icon_wrap():
    image = Image(16, 16)
    image.line(2.5, 4.5, 11, 4.5, INK, 1.2)
    image.shape(lambda x, y: 4.5 <= y <= 11.5 and 10 <= x and abs(((x - 10) ** 2 + (y - 8) ** 2) ** 0.5 - 3.5) <= 0.6,
                INK, (10, 4, 15, 12))
    image.line(10, 11.5, 6, 11.5, INK, 1.2)
    image.polygon([(4, 11.5), (7, 9), (7, 14)], INK)
    return image


def icon_reverse():
    image = Image(16, 16)
    image.line(13, 8, 6, 8, INK, 1.4)
    image.polygon([(2.5, 8), (7, 4), (7, 12)], INK)
    return image


def icon_in_selection():
    image = Image(16, 16)
    image.rect(2, 3, 14, 13, blend(ACCENT, LIGHT, 0.75))
    for y in (5, 8, 11):
        image.rect(4, y - 0.5, 12, y + 0.5, INK)
    return image


def icon_highlight():
    image = Image(16, 16)
    image.rect(2, 9, 14, 13, (0xF5, 0xD2, 0x3C))
    image.polygon([(6, 10), (10, 3), (13, 5), (9, 11)], INK)
    return image


def icon_duplicates():
    image = Image(16, 16)
    for y in (4, 7):
        image.rect(3, y - 0.5, 13, y + 0.5, INK)
    image.rect(3, 10.5, 13, 11.5, blend(INK, LIGHT, 0.6))
    image.line(3, 13, 13, 9, (0xC0, 0x28, 0x2D), 1.3)
    return image


# Toolbar icons.

def page(image, x0=3, y0=1, x1=13, y1=15):
    image.frame(x0, y0, x1, y1, 1, INK, LIGHT)
    image.polygon([(x1 - 4, y0), (x1, y0 + 4), (x1 - 4, y0 + 4)], blend(INK, LIGHT, 0.5))


def tool_new():
    image = Image(16, 16)
    page(image)
    return image


def tool_open():
    image = Image(16, 16)
    image.frame(1, 4, 15, 14, 1, INK, (0xF2, 0xC9, 0x4C))
    image.rect(2, 3, 7, 5, INK)
    image.polygon([(3, 14), (5, 8), (15.5, 8), (13.5, 14)], (0xF8, 0xDC, 0x7A))
    return image


def tool_save():
    image = Image(16, 16)
    image.frame(2, 2, 14, 14, 1, INK, ACCENT)
    image.rect(5, 2.5, 11, 7, LIGHT)
    image.rect(5, 10, 11, 13.5, blend(ACCENT, LIGHT, 0.7))
    return image


def tool_cut():
    image = Image(16, 16)
    image.line(5, 2, 10.5, 10, INK, 1.3)
    image.line(11, 2, 5.5, 10, INK, 1.3)
    for cx in (4.5, 11.5):
        image.shape(lambda x, y, cx=cx: abs(((x - cx) ** 2 + (y - 12) ** 2) ** 0.5 - 2.2) <= 0.6, INK,
                    (cx - 3, 9, cx + 3, 15))
    return image


def tool_copy():
    image = Image(16, 16)
    page(image, 1, 1, 10, 12)
    page(image, 6, 4, 15, 15)
    return image


def tool_paste():
    image = Image(16, 16)
    image.frame(2, 3, 12, 15, 1, INK, (0xC8, 0x9B, 0x5A))
    image.rect(5, 1.5, 9, 4.5, INK)
    page(image, 7, 6, 15, 15)
    return image


def arrow_turn(left):
    image = Image(16, 16)

    def arc(x, y):
        distance = ((x - 8) ** 2 + (y - 10) ** 2) ** 0.5
        return abs(distance - 5) <= 0.75 and y <= 10.5
    image.shape(arc, INK, (2, 4, 14, 12))
    if left:
        image.polygon([(0.5, 10), (6, 10), (3, 14)], INK)
    else:
        image.polygon([(10, 10), (15.5, 10), (13, 14)], INK)
    return image


def tool_find():
    image = Image(16, 16)
    image.shape(lambda x, y: abs(((x - 6.5) ** 2 + (y - 6.5) ** 2) ** 0.5 - 4) <= 0.8, INK, (1, 1, 12, 12))
    image.line(9.5, 9.5, 14, 14, INK, 2)
    return image


def tool_replace():
    image = tool_find()
    image.polygon([(10, 1), (15, 4), (10, 7)], ACCENT)
    return image


BORDERED = [
    # (file stem, border width, border height, element names, image)
    ("button", 4, 4, ["button", "btn.dropdown"], lambda: bevel(16, 16, FACE)),
    ("button_down", 4, 4, ["button.down"], lambda: bevel(16, 16, FACE_DOWN, raised=False)),
    ("button_disabled", 4, 4, ["button.disabled", "button.down.disabled"],
     lambda: bevel(16, 16, blend(FACE, WINDOW, 0.5), raised=False)),
    ("statusbutton", 2, 4, ["button.statusbutton"], lambda: status_button(False)),
    ("statusbutton_down", 2, 4, ["button.statusbutton.down"], lambda: status_button(True)),
    ("btn_left", 4, 4, ["btn.left"], lambda: row_button(16, 16, FACE, "left", False)),
    ("btn_middle", 4, 4, ["btn.middle"], lambda: row_button(16, 16, FACE, "middle", False)),
    ("btn_right", 4, 4, ["btn.right"], lambda: row_button(16, 16, FACE, "right", False)),
    ("btn_down_left", 4, 4, ["btn.down.left"], lambda: row_button(16, 16, FACE_DOWN, "left", True)),
    ("btn_down_middle", 4, 4, ["btn.down.middle"], lambda: row_button(16, 16, FACE_DOWN, "middle", True)),
    ("btn_down_right", 4, 4, ["btn.down.right"], lambda: row_button(16, 16, FACE_DOWN, "right", True)),
    ("btn_down_over_left", 4, 4, ["btn.down.over.left"], lambda: row_button(16, 16, FACE_OVER, "left", True)),
    ("btn_down_over_middle", 4, 4, ["btn.down.over.middle"],
     lambda: row_button(16, 16, FACE_OVER, "middle", True)),
    ("btn_down_over_right", 4, 4, ["btn.down.over.right"], lambda: row_button(16, 16, FACE_OVER, "right", True)),
    ("panel_raised", 3, 3, ["panel.raised"], lambda: bevel(16, 16, WINDOW, radius=0)),
    ("panel_hint", 2, 2, ["panel.hint"], hint_panel),
    ("panel_statusbar", 1, 3, ["panel.statusbar"], lambda: strip(8, WINDOW, True, False)),
    ("panel_toolbar", 1, 3, ["panel.toolbar"], lambda: strip(8, WINDOW, False, True)),
    ("tab_selected", 6, 6, ["tab.selected"], lambda: tab(16, 32, TEXT_BACK, SHADOW, 0, False)),
    ("tab_selected_unfocused", 6, 6, ["tab.selected.unfocused"],
     lambda: tab(16, 32, (0xF3, 0xF4, 0xF6), SHADOW, 0, False)),
    ("tab_unselected", 6, 6, ["tab.unselected"], lambda: tab(16, 32, FACE, SHADOW, 3, True)),
    ("tree_button", 3, 3, ["tree.button"], lambda: tree_button(False)),
    ("tree_button_down", 3, 3, ["tree.button.down"], lambda: tree_button(True)),
    ("scrollbar_track", 1, 1, ["scrollbar.track"], lambda: scroll_track(True)),
    ("scrollbar_htrack", 1, 1, ["scrollbar.htrack"], lambda: scroll_track(False)),
    ("scrollbar_puck", 4, 6, ["scrollbar.puck"], lambda: scroll_puck(True)),
    ("scrollbar_hpuck", 6, 4, ["scrollbar.hpuck"], lambda: scroll_puck(False)),
]

ICONS = [
    ("bookmark", ["icon.bookmark"], lambda: icon_bookmark(False)),
    ("multibookmark", ["icon.multibookmark"], lambda: icon_bookmark(True)),
    ("collapse", ["icon.collapse"], lambda: icon_plus_minus(False)),
    ("expand", ["icon.expand"], lambda: icon_plus_minus(True)),
    ("cross", ["icon.cross"], lambda: icon_cross(16, 1.6)),
    ("minicross", ["icon.minicross"], lambda: icon_cross(8, 1.2)),
    ("tabcross", ["icon.tabcross"], lambda: icon_cross(16, 1.3)),
    ("downarrow", ["icon.downarrow"], icon_down_arrow),
    ("find_case", ["icon.find.case"], lambda: icon_text("Aa")),
    ("find_regex", ["icon.find.regex"], lambda: icon_text(".*")),
    ("find_wholeword", ["icon.find.wholeword"], lambda: icon_text("ab", underline=True)),
    ("find_preservecase", ["icon.find.preservecase"], lambda: icon_text("AB", underline=True)),
    ("find_wrap", ["icon.find.wrap"], icon_wrap),
    ("find_reverse", ["icon.find.reverse"], icon_reverse),
    ("find_inselection", ["icon.find.inselection"], icon_in_selection),
    ("find_highlight", ["icon.find.highlight"], icon_highlight),
    ("sort_dup", ["icon.sort.dup"], icon_duplicates),
]

TOOLBAR = [
    ("new", tool_new), ("open", tool_open), ("save", tool_save), ("cut", tool_cut), ("copy", tool_copy),
    ("paste", tool_paste), ("undo", lambda: arrow_turn(True)), ("redo", lambda: arrow_turn(False)),
    ("find", tool_find), ("replace", tool_replace),
]

THEME_HEAD = """# The default theme: light greys, thin bevels, a white selected tab.
# Written by tools/draw_theme.py together with its images; edit the script,
# not this file. Keys beginning with "control.", "font." and "size." set
# colours, fonts and sizes; every other key names an element and how to
# paint it.
control.backgroundColor #D6D9DE
control.highlightColor #C7DCF7
control.lightColor #FFFFFF
control.shadowColor #9AA1AB
font.face Courier New 10
font.color #1F1F1F
font.backgroundColor #FFFFFF
control.font.face Segoe UI 9;Tahoma 8;Liberation Sans 9
control.font.color #1F1F1F
control.monospaceFont.face Consolas 9;Courier New 9;Liberation Mono 9
control.highlight.font.face Segoe UI 9;Tahoma 8;Liberation Sans 9
control.highlight.font.color #0B1F3A
control.highlight.monospaceFont.face Consolas 9;Courier New 9;Liberation Mono 9
size.tabGlobalBorder 4
size.tabHeaderHeight 28
size.tabMiniButtonSize 24
size.tabMiniButtonSpacing 4
size.tabAdditionalSpacing 20
size.toolbarHeight 32
size.statusbarHeight 20
size.checkboxWidth 13
size.checkboxHeight 13
size.scrollbarCrossExtent 16
panel ColorShader #D6D9DE
panel.tab ColorShader #D6D9DE
panel.tabbody ColorShader #D6D9DE
"""


def theme_path(name):
    return f"Packages/Theme - Default/images/{name}"


def outputs():
    """Every file to write, as a map from path under the theme folder to bytes."""
    files = {}
    lines = [THEME_HEAD.rstrip("\n")]
    for stem, border_width, border_height, elements, draw in BORDERED:
        name = f"{stem}_w{border_width}h{border_height}.png"
        files[f"images/{name}"] = draw().flipped_bands(border_height).png()
        for element in elements:
            lines.append(f'{element} TextureShader "{theme_path(name)}"')
    for stem, elements, draw in ICONS:
        name = f"{stem}.png"
        files[f"images/{name}"] = draw().png()
        for element in elements:
            lines.append(f'{element} SimpleTextureShader "{theme_path(name)}"')
    files["Default.vantrel-theme"] = ("\n".join(lines) + "\n").encode()
    for stem, draw in TOOLBAR:
        files[f"toolbar/{stem}.png"] = draw().png()
    return files


def main():
    return write_or_check(THEME, outputs(), "draw_theme.py", __doc__.split("\n\n")[0])


if __name__ == "__main__":
    sys.exit(main())
