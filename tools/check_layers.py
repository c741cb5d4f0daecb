#!/usr/bin/env python3
"""Checks that no source file includes a header of a layer above its own.

The layers, lowest first; a file may include headers of its own layer and of
the layers below it:

  0 base       ui/, filesystem/: strings, logging, threads, statistics,
               options, the file manager, the menu model.
  1 text       ui/text/ and its subfolders: buffers, views, tokens, lexer,
               syntaxes and styles.
  2 commands   input/, and the commands kept beside the text model (macros,
               completions, the snippet store): key bindings, command maps
               and runners.
  3 toolkit    canvas/, controls/, the token renderer (ui/text/render/), and
               the toolkit's base in ui/ (input regions, base window, theme).
  4 windows    window_manager/ and window_manager/windows/.
  5 editor     texteditor/: the application, its windows and the plug-in host;
               panels/: the panels of an editor window and their pieces.

A file's layer is that of the first rule in LAYER_RULES its path (relative to
src/) starts with. The few includes that still reach up are listed in
EXCEPTIONS with the reason; an exception that no longer matches anything is
reported too, so that the list only shrinks.

Usage: check_layers.py [SOURCE_DIR]  (default: the src/ beside tools/).
Exit status 0 when every include keeps to the layers, 1 otherwise.
"""

import os
import re
import sys

LAYER_NAMES = ["base", "text", "commands", "toolkit", "windows", "editor"]

# (path prefix under src/, layer); the first match wins, so the more specific
# prefixes come first.
LAYER_RULES = [
    ("ui/text/render/", 3),
    ("ui/text/macro.", 2),
    ("ui/text/completions.", 2),
    ("ui/text/snippet_manager.", 2),
    ("ui/text/", 1),
    ("ui/base_window.", 3),
    ("ui/input_region.", 3),
    ("ui/theme.", 3),
    ("ui/", 0),
    ("filesystem/", 0),
    ("input/", 2),
    ("canvas/", 3),
    ("controls/", 3),
    ("window_manager/", 4),
    ("texteditor/", 5),
    ("panels/", 5),
]

# (including file prefix, included header, reason).
EXCEPTIONS = [
    ("ui/text/", "canvas/unicode_font.h",
     "tokens are laid out with a font's measurements; only the font interface is used"),
    ("ui/text/syntax/", "canvas/util/colour.h",
     "styles are made of colours; the colour type draws nothing"),
    ("ui/text/view_settings.cpp", "canvas/canvas.h",
     "a view's settings take their font from the canvas the view is shown on"),
    ("ui/text/text_buffer_view.h", "ui/text/render/token_renderer.h",
     "a view owns the renderer of its tokens"),
    ("controls/", "window_manager/window.h",
     "controls reach their platform window through its abstract interface"),
    ("controls/desktop_services.cpp", "window_manager/window_manager.h",
     "the default desktop services reach the clipboard through the abstract window manager"),
    ("ui/text/snippet_manager.cpp", "window_manager/window_manager.h",
     "the snippet store publishes its menu among the abstract window manager's named menus"),
]

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def layer_of(path):
    for prefix, layer in LAYER_RULES:
        if path.startswith(prefix):
            return layer
    return None


def excepted(source, header, used):
    for index, (source_prefix, excepted_header, _reason) in enumerate(EXCEPTIONS):
        if source.startswith(source_prefix) and header == excepted_header:
            used.add(index)
            return True
    return False


def check(source_dir):
    problems = []
    used = set()
    for folder, _dirs, files in sorted(os.walk(source_dir)):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            full = os.path.join(folder, name)
            source = os.path.relpath(full, source_dir).replace(os.sep, "/")
            source_layer = layer_of(source)
            if source_layer is None:
                problems.append(f"src/{source}: in no layer; add its folder to LAYER_RULES")
                continue
            with open(full, encoding="utf-8", errors="replace") as stream:
                for number, line in enumerate(stream, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    header = match.group(1)
                    if not os.path.isfile(os.path.join(source_dir, header)):
                        continue
                    header_layer = layer_of(header)
                    if header_layer is None or header_layer <= source_layer:
                        continue
                    if excepted(source, header, used):
                        continue
                    problems.append(
                        f'src/{source}:{number}: includes "{header}" ({LAYER_NAMES[header_layer]}) '
                        f"from a lower layer ({LAYER_NAMES[source_layer]})")
    for index, (source_prefix, header, _reason) in enumerate(EXCEPTIONS):
        if index not in used:
            problems.append(f'exception no longer needed: {source_prefix} -> "{header}"')
    return problems


def main():
    default = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "src")
    source_dir = os.path.normpath(sys.argv[1] if len(sys.argv) > 1 else default)
    problems = check(source_dir)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
