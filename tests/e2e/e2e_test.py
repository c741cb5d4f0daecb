#!/usr/bin/env python3
"""The whole editor as a user meets it.

Starts the real program under its own Xvfb display with a scratch data folder
(whose Application options show the toolbar) and files of several languages
on its command line, drives it with real X input (xdotool: typing, keys,
clicks, a drag, its file dialogs and questions), and checks what came of it
three ways: the text and selections of the active view, which the program
writes to the file named by VANTREL_TEST_HOOK after every frame that changed
them; the files it saved; and screenshots, which must show a drawn window,
match ones a person has looked at (tests/data/e2e/) and show the colour
scheme's colours. The editing cases are rows of tests/e2e/cases.json: the
file's text before, the input, the text and the selections after; each opens
its own file in the running program by a second start of the editor, which
hands its arguments over and exits 0, and saves it with ctrl+s. The
scenarios are functions: opening (the open dialog, tabs by keyboard, syntax
colours), two groups (a picture of the file in a two-column layout, cloned
from its tab's context menu), and saving (the save dialog, closing and
reopening, the questions about unsaved changes and read-only files). The run
ends by closing the window with alt+F4, after which the program must end
with status 0. Every wait is for a condition (a record, a window, a file, a
picture) with a time limit, and every failure says what it waited for.

Exit status: 0 when every check passed, 1 when one failed, 77 (skipped) when
there is nothing to test: no Wine build, or the tools to drive it missing.
"""

import argparse
import ctypes
import ctypes.util
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
REPOSITORY = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCREEN = "1280x800x24"
# Generous bounds: a loaded CI machine starts Wine slowly. A passing run waits
# only as long as the program needs.
WINDOW_TIMEOUT = 60.0
RECORD_TIMEOUT = 10.0
# How long a picture may take to settle into the golden one, and a dialog
# or question to appear (Wine's file dialogs are slow the first time).
SETTLE_TIMEOUT = 5.0
DIALOG_TIMEOUT = 30.0
EXIT_TIMEOUT = 20.0
# The autosave follows the first key of a burst by "autoSaveInterval" (5 s).
AUTOSAVE_TIMEOUT = 20.0
KEY_DELAY_MS = "40"
# Longer than the system's double-click time (500 ms by default).
DOUBLE_CLICK_TIME = 0.7
# Pixels that may differ from the golden image (after the colour fuzz). Runs
# here give the same picture to the pixel; this leaves room for the caret's
# blink (about 30 pixels) and is well under what one word of text covers.
SCREENSHOT_PIXEL_TOLERANCE = 200
SCREENSHOT_FUZZ = "8%"
WINDOW_TITLE = "Vantrel"
# The text of the start file draws in about twenty; a blank window in one.
MINIMUM_DRAWN_COLOURS = 8
# "defaultLineEnding" of Packages/Default/Options/Default File Type: the
# lines typed into a file that has none yet are saved with it.
DEFAULT_LINE_ENDING = "\r\n"
# Every case also saves with ctrl+s and checks the file on disk.
CASES_SAVE = True
# The colour scheme's keyword colour (Packages/Color Scheme - Default): a C
# file shows it, a plain text file does not.
KEYWORD_COLOUR = (0x1E, 0x4F, 0xBF)
# Glyph pixels are the text colour blended with the white background; a
# pixel counts as keyword coloured when it lies on that blend, at least half
# way to the full colour, within this many levels on each channel.
KEYWORD_BLEND_TOLERANCE = 24
# The status text in the status bar (inside the window, x0, y0, x1, y1):
# after opening a file it names the run's scratch folder.
STATUS_TEXT = (140, 451, 480, 472)
# Where the views lie inside the window: below the toolbar and the tabs,
# above the status bar (pixels).
VIEWS_TOP = 60
VIEWS_BOTTOM = 22
# A few keywords draw hundreds of such pixels; stray blends of other
# colours never come near this.
MINIMUM_KEYWORD_PIXELS = 40


class Failure(Exception):
    pass


def log(message):
    print(message, flush=True)


def wine_path_to_unix(path):
    """A path as the program reports it (Z:\\tmp\\x) in Unix form (/tmp/x)."""
    if len(path) >= 2 and path[1] == ":":
        path = path[2:]
    return path.replace("\\", "/")


class Record:
    """One state the test hook wrote: file name, selections and text."""

    def __init__(self, raw):
        name, selections, text = raw.split("\n", 2)
        self.name = name
        self.path = wine_path_to_unix(name)
        self.selections = [tuple(int(n) for n in pair.split(","))
                           for pair in selections.split()]
        self.text = text

    def describe(self):
        return "file %r, selections %s, text %r" % (self.name, self.selections, self.text)


def line_ending_of(text):
    """The line ending a file of `text` is saved with: its own, else the
    default of new files."""
    if "\r\n" in text:
        return "\r\n"
    return "\n" if "\n" in text else DEFAULT_LINE_ENDING


def windows_path(path):
    """A Unix path as the program's dialogs take it (Z:\\tmp\\x)."""
    return "Z:" + path.replace("/", "\\")


def end_with_parent():
    """Makes the child end when this driver is killed (a test time-out): the
    display goes, and the Wine programs on it end with it."""
    PR_SET_PDEATHSIG = 1
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


class Display:
    """An Xvfb server on a free display number, ended with the run."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", SCREEN,
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=end_with_parent)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise Failure("Xvfb did not start")
        self.name = ":" + number

    def add_keys(self, characters):
        """Gives each of `characters` a key of its own on the keyboard map,
        before any program reads the map: xdotool otherwise maps a missing
        character to a spare key just for its press and takes it away right
        after, and Wine, which translates the press later, then loses it."""
        wanted = sorted(set(c for c in characters if not c.isascii()))
        if not wanted:
            return
        x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDisplayKeycodes.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                         ctypes.POINTER(ctypes.c_int)]
        x11.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)
        x11.XGetKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_ubyte, ctypes.c_int,
                                            ctypes.POINTER(ctypes.c_int)]
        x11.XChangeKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                               ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
        x11.XFree.argtypes = [ctypes.c_void_p]
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        display = x11.XOpenDisplay(self.name.encode())
        if not display:
            raise Failure("cannot open the display %s to add keys" % self.name)
        try:
            low, high, per_key = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
            x11.XDisplayKeycodes(display, ctypes.byref(low), ctypes.byref(high))
            count = high.value - low.value + 1
            symbols = x11.XGetKeyboardMapping(display, low.value, count, ctypes.byref(per_key))
            free = [low.value + i for i in range(count)
                    if not any(symbols[i * per_key.value + j] for j in range(per_key.value))]
            x11.XFree(symbols)
            if len(free) < len(wanted):
                raise Failure("the keyboard map has %d free keys for %d characters"
                              % (len(free), len(wanted)))
            for keycode, character in zip(free, wanted):
                # Latin-1 characters are their own key symbols; the rest
                # have Unicode key symbols.
                code = ord(character)
                symbol = code if code < 0x100 else 0x01000000 + code
                pair = (ctypes.c_ulong * 2)(symbol, symbol)
                x11.XChangeKeyboardMapping(display, keycode, 2, pair, 1)
            x11.XSync(display, 0)
        finally:
            x11.XCloseDisplay(display)

    def close(self):
        self.process.terminate()
        self.process.wait()


class Harness:
    def __init__(self, args, scratch):
        self.args = args
        self.scratch = scratch
        self.data = os.path.join(scratch, "data")
        self.hook = os.path.join(scratch, "hook-record")
        self.output = args.output
        self.display = None
        self.program = None
        self.program_log = None
        self.window = None
        self.failures = []
        self.saving_failed = False
        self.title_failed = False

    # --- Processes ------------------------------------------------------------

    def environment(self):
        env = dict(os.environ)
        env["DISPLAY"] = self.display.name
        env["VANTREL_TEST_HOOK"] = self.hook
        return env

    def start_editor(self, *arguments, log_file=None):
        command = [self.args.run_wine, "--prefix", self.args.prefix, "--display",
                   "--keep-server", self.args.program, "--data", self.data]
        command += list(arguments)
        return subprocess.Popen(command, cwd=self.scratch, env=self.environment(),
                                stdout=log_file or subprocess.DEVNULL,
                                stderr=subprocess.STDOUT if log_file else subprocess.DEVNULL,
                                start_new_session=True)

    def xdotool(self, *arguments, timeout=10.0):
        result = subprocess.run(["xdotool"] + [str(a) for a in arguments],
                                env=self.environment(), capture_output=True, text=True,
                                timeout=timeout)
        return result.returncode, result.stdout.strip()

    def xdotool_numbers(self, *arguments):
        """The NAME=NUMBER lines of an xdotool command run with --shell."""
        _, out = self.xdotool(arguments[0], "--shell", *arguments[1:])
        return {name: int(value) for name, value in
                (line.split("=", 1) for line in out.splitlines() if "=" in line)}

    def geometry(self, window=None):
        return self.xdotool_numbers("getwindowgeometry", window or self.window)

    def end_wine(self):
        """Ends every Wine program of the prefix: also one left by a run
        that was killed, which would otherwise take this run's command line
        over as the running instance."""
        env = dict(os.environ, WINEPREFIX=self.args.prefix)
        subprocess.run(["/usr/lib/wine/wineserver", "-k"], env=env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def end_everything(self):
        try:
            if self.program and self.program.poll() is None:
                os.killpg(self.program.pid, signal.SIGKILL)
                self.program.wait()
            self.end_wine()
        finally:
            if self.display:
                self.display.close()
            if self.program_log:
                self.program_log.close()

    # --- The hook record ------------------------------------------------------

    def read_record(self):
        try:
            with open(self.hook, encoding="utf-8", newline="") as f:
                return Record(f.read())
        except (OSError, ValueError):
            return None

    def wait_record(self, accept, what, timeout=RECORD_TIMEOUT):
        """Polls the hook until `accept(record)`; fails naming `what`."""
        deadline = time.monotonic() + timeout
        record = None
        while time.monotonic() < deadline:
            record = self.read_record()
            if record and accept(record):
                return record
            if self.program.poll() is not None:
                raise Failure("the program ended (status %s) while waiting for %s"
                              % (self.program.returncode, what))
            time.sleep(0.05)
        raise Failure("timed out waiting for %s; last record: %s"
                      % (what, record.describe() if record else "none"))

    # --- Input ----------------------------------------------------------------

    def focus(self):
        self.xdotool("windowfocus", "--sync", self.window)

    def window_origin(self):
        values = self.geometry()
        return values["X"], values["Y"]

    def run_step(self, step):
        kind = step[0]
        if kind == "type":
            self.type_text(step[1])
        elif kind == "key":
            self.xdotool("key", "--delay", KEY_DELAY_MS, *step[1:])
        elif kind == "click":
            self.mouse_to(step[1], step[2])
            self.xdotool("click", "1")
        elif kind == "doubleclick":
            self.mouse_to(step[1], step[2])
            self.xdotool("click", "--repeat", "2", "--delay", "80", "1")
        elif kind == "drag":
            self.mouse_to(step[1], step[2])
            self.xdotool("mousedown", "1")
            # Through a point on the way, so that the program sees motion
            # with the button held, as from a hand.
            self.mouse_to((step[1] + step[3]) // 2, (step[2] + step[4]) // 2)
            self.mouse_to(step[3], step[4])
            self.xdotool("mouseup", "1")
        else:
            raise Failure("unknown step %r" % (step,))

    def type_text(self, text):
        # Every character typed has a key of its own on the display's
        # keyboard map (Display.add_keys), so xdotool never maps one for the
        # moment, which Wine may read only after the key press has gone by.
        # Line feeds go as Return keys: xdotool types them as a key Wine
        # does not pass on.
        for number, line in enumerate(text.split("\n")):
            if number:
                self.xdotool("key", "Return")
            if line:
                self.xdotool("type", "--delay", KEY_DELAY_MS, "--", line)

    def mouse_to(self, x, y):
        """Moves the pointer to (x, y) in the window's pixels."""
        left, top = self.window_origin()
        here = self.xdotool_numbers("getmouselocation")
        # --sync waits for the pointer to move: not when it is there already.
        if (here.get("X"), here.get("Y")) != (left + x, top + y):
            self.xdotool("mousemove", "--sync", left + x, top + y)

    # --- Screens --------------------------------------------------------------

    def screenshot(self, name):
        path = os.path.join(self.output, name + ".png")
        subprocess.run(["import", "-display", self.display.name, "-window", "root", path],
                       check=True, capture_output=True)
        return path

    def window_inside(self):
        """The crop geometry of what the window draws itself: past the frame
        and the title bar Wine draws around it (the title names a scratch
        path that differs from run to run)."""
        values = self.geometry()
        return "%dx%d+%d+%d" % (values["WIDTH"] - 8, values["HEIGHT"] - 34,
                                values["X"] + 4, values["Y"] + 30)

    def drawn_colours(self, shot):
        result = subprocess.run(["identify", "-format", "%k",
                                 "%s[%s]" % (shot, self.window_inside())],
                                capture_output=True, text=True)
        return int(result.stdout.strip() or 0)

    def check_window_drawn(self, shot):
        """The window's inside holds more than a cleared background: a
        window that draws nothing (all black) has one or two colours there,
        text has its anti-aliasing shades."""
        colours = self.drawn_colours(shot)
        if colours < MINIMUM_DRAWN_COLOURS:
            self.failures.append("the window shows %d colours inside: nothing is drawn "
                                 "(see %s)" % (colours, shot))

    def compare_with_golden(self, name, golden, masks=()):
        """Takes screenshots until the window's inside matches the golden
        image (the last frames of a change may still be on their way), and
        fails with the last difference when it never does. The rectangles
        of `masks` (x0, y0, x1, y1 inside the window) are left out of the
        comparison. Returns the last screenshot."""
        deadline = time.monotonic() + SETTLE_TIMEOUT
        while True:
            shot = self.screenshot(name)
            actual = os.path.join(self.output, name + "-inside.png")
            subprocess.run(["convert", shot, "-crop", self.window_inside(), "+repage", actual],
                           check=True, capture_output=True)
            if self.drawn_colours(shot) < MINIMUM_DRAWN_COLOURS and time.monotonic() < deadline:
                time.sleep(0.2)
                continue
            if not os.path.exists(golden):
                # A golden image is kept only once a person has looked at it.
                log("NOTE: no golden image %s yet; look at %s and keep it if it is right"
                    % (golden, actual))
                return shot
            difference = os.path.join(self.output, name + "-difference.png")
            compared = [golden, actual]
            if masks:
                draw = ["-fill", "black"]
                for mask in masks:
                    draw += ["-draw", "rectangle %d,%d %d,%d" % mask]
                compared = [os.path.join(self.output, "%s-masked-%d.png" % (name, i))
                            for i in range(2)]
                for source, masked in zip((golden, actual), compared):
                    subprocess.run(["convert", source] + draw + [masked], check=True,
                                   capture_output=True)
            result = subprocess.run(["compare", "-metric", "AE", "-fuzz", SCREENSHOT_FUZZ]
                                    + compared + [difference], capture_output=True, text=True)
            try:
                pixels = float(result.stderr.split()[0])
            except (IndexError, ValueError):
                self.failures.append("compare failed: %s" % result.stderr.strip())
                return shot
            if pixels <= SCREENSHOT_PIXEL_TOLERANCE:
                return shot
            if time.monotonic() > deadline:
                self.failures.append("the screen differs from %s in %d pixels; actual %s, "
                                     "difference %s" % (golden, pixels, actual, difference))
                return shot
            time.sleep(0.2)

    def keyword_pixels(self, shot):
        """How many pixels of the views in `shot` show the colour scheme's
        keyword colour, blended with the background as glyph edges are."""
        # Below the toolbar and the tabs, above the status bar: the toolbar's
        # icons have blues of their own.
        values = self.geometry()
        views = "%dx%d+%d+%d" % (values["WIDTH"] - 8, values["HEIGHT"] - 34 - VIEWS_TOP - VIEWS_BOTTOM,
                                 values["X"] + 4, values["Y"] + 30 + VIEWS_TOP)
        result = subprocess.run(["convert", shot, "-crop", views, "+repage",
                                 "-format", "%c", "histogram:info:-"],
                                check=True, capture_output=True, text=True)
        span = [255 - level for level in KEYWORD_COLOUR]
        total = 0
        for line in result.stdout.splitlines():
            match = re.match(r"\s*(\d+):\s*\(\s*(\d+),\s*(\d+),\s*(\d+)", line)
            if not match:
                continue
            count, rgb = int(match.group(1)), [int(n) for n in match.groups()[1:]]
            # How far towards the keyword colour the widest channel went.
            widest = span.index(max(span))
            amount = (255 - rgb[widest]) / span[widest]
            if amount >= 0.5 and all(abs(255 - amount * span[i] - rgb[i]) <= KEYWORD_BLEND_TOLERANCE
                                     for i in range(3)):
                total += count
        return total

    # --- The run --------------------------------------------------------------

    def write_file(self, name, text):
        path = os.path.join(self.scratch, "files", name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(text)
        return path

    def write_user_options(self):
        """The user's Application options: the shipped ones with the
        toolbar shown, so that every picture shows each part of the window."""
        shipped = os.path.join(REPOSITORY, "Packages", "Default", "Options",
                               "Application.vantrel-options")
        with open(shipped, encoding="utf-8") as f:
            text = f.read()
        text, changed = re.subn(r"(?m)^showToolbar false$", "showToolbar true", text)
        if changed != 1:
            raise Failure("%s has no line 'showToolbar false' to turn on" % shipped)
        user = os.path.join(self.data, "Packages", "Default", "Options")
        os.makedirs(user)
        with open(os.path.join(user, "Application.vantrel-options"), "w", encoding="utf-8") as f:
            f.write(text)

    def start_first(self, files, characters):
        """Starts the program with the (path, text) pairs of `files` on its
        command line; the first one becomes the active view. `characters`
        are all the characters the run will type."""
        self.end_wine()
        self.display = Display()
        self.display.add_keys(characters)
        os.makedirs(self.data)
        self.write_user_options()
        self.program_log = open(os.path.join(self.output, "program.log"), "w")
        self.program = self.start_editor("--debug", *[path for path, _ in files],
                                         log_file=self.program_log)
        self.wait_first_window()
        path, text = files[0]
        self.wait_record(lambda r: r.path == path and r.text == text,
                         "the first file on the command line, %s, in the window" % path)
        self.check_single_window("after start-up")
        self.check_title(path)

    def wait_first_window(self):
        """Waits for the program's window and gives it the focus."""
        deadline = time.monotonic() + WINDOW_TIMEOUT
        while time.monotonic() < deadline:
            windows = self.visible_windows()
            if windows:
                self.window = windows[0]
                break
            if self.program.poll() is not None:
                raise Failure("the program ended with status %s before opening a window "
                              "(log: %s)" % (self.program.returncode, self.program_log.name))
            time.sleep(0.2)
        else:
            raise Failure("no window titled %r within %d s" % (WINDOW_TITLE, WINDOW_TIMEOUT))
        self.focus()

    # --- Dialogs and questions --------------------------------------------------

    def find_window(self, title):
        """A visible window of exactly this title, or None."""
        pattern = "^" + re.sub(r"([.\[\](){}*+?|^$\\])", r"\\\1", title) + "$"
        status, out = self.xdotool("search", "--onlyvisible", "--name", pattern)
        windows = out.split() if status == 0 else []
        return windows[0] if windows else None

    def wait_window(self, title, after):
        """Waits for the dialog or question titled `title` that `after`
        (the keys just pressed) should have opened, and gives it the focus."""
        deadline = time.monotonic() + DIALOG_TIMEOUT
        while time.monotonic() < deadline:
            window = self.find_window(title)
            if window:
                self.xdotool("windowfocus", "--sync", window)
                return window
            if self.program.poll() is not None:
                raise Failure("the program ended (status %s) while waiting for the window %r"
                              % (self.program.returncode, title))
            time.sleep(0.1)
        shot = self.screenshot("failed-no-window")
        raise Failure("no window titled %r appeared within %d s after %s (see %s)"
                      % (title, DIALOG_TIMEOUT, after, shot))

    def wait_window_gone(self, window, title, after):
        deadline = time.monotonic() + RECORD_TIMEOUT
        while time.monotonic() < deadline:
            if window not in self.all_visible_windows():
                self.focus()
                return
            time.sleep(0.1)
        shot = self.screenshot("failed-window-stays")
        raise Failure("the window %r is still shown after %s (see %s)" % (title, after, shot))

    def all_visible_windows(self):
        status, out = self.xdotool("search", "--onlyvisible", "--name", "")
        return set(out.split()) if status == 0 else set()

    def wait_new_window(self, before, what):
        """Waits for a visible window that is not in `before` (a menu has
        no title to look for) and returns it."""
        deadline = time.monotonic() + RECORD_TIMEOUT
        while time.monotonic() < deadline:
            new = self.all_visible_windows() - before
            if new:
                return new.pop()
            time.sleep(0.1)
        shot = self.screenshot("failed-no-window")
        raise Failure("%s did not appear (see %s)" % (what, shot))

    def answer_question(self, title, keys, after):
        """Waits for the message box `title` and answers it with `keys`."""
        box = self.wait_window(title, after)
        self.xdotool("key", "--delay", KEY_DELAY_MS, *keys)
        self.wait_window_gone(box, title, "pressing %s in it" % " ".join(keys))

    def choose_in_file_dialog(self, title, path, after):
        """Types the Windows path of `path` into the name box of the file
        dialog `title` (which has the focus there) and presses Return."""
        dialog = self.wait_window(title, after)
        self.type_text(windows_path(path))
        self.xdotool("key", "Return")
        self.wait_window_gone(dialog, title, "choosing %s in it" % path)

    def wait_file(self, path, expected, what, line_ending="\n"):
        """Waits until the file at `path` holds the text `expected`, its
        lines ended by `line_ending`."""
        expected = expected.replace("\n", line_ending)
        deadline = time.monotonic() + RECORD_TIMEOUT
        saved = None
        while time.monotonic() < deadline:
            try:
                with open(path, "rb") as f:
                    saved = f.read()
            except OSError:
                saved = None
            if saved == expected.encode("utf-8"):
                return
            time.sleep(0.1)
        raise Failure("%s: the file %s holds %r, not %r" % (what, path, saved, expected))

    def visible_windows(self):
        """The program's visible windows, the largest (the editor window)
        first: message boxes carry the same title."""
        status, out = self.xdotool("search", "--onlyvisible", "--name", WINDOW_TITLE)
        if status != 0:
            return []
        sized = []
        for window in out.split():
            values = self.geometry(window)
            sized.append((values.get("WIDTH", 0) * values.get("HEIGHT", 0), window))
        return [window for _, window in sorted(sized, reverse=True)]

    def check_single_window(self, when):
        """A second window (an error box) beside the editor is a failure."""
        windows = self.visible_windows()
        if len(windows) > 1:
            shot = self.screenshot("failed-extra-window")
            self.failures.append("%s the program shows %d windows, not one (an error box?); "
                                 "see %s" % (when, len(windows), shot))

    def check_title(self, path):
        """The window's title names the file of the active view."""
        if self.title_failed:
            return
        # The title follows the frame that shows the file.
        deadline = time.monotonic() + RECORD_TIMEOUT
        while True:
            _, title = self.xdotool("getwindowname", self.window)
            if wine_path_to_unix(title).find(path) >= 0 or time.monotonic() > deadline:
                break
            time.sleep(0.1)
        if wine_path_to_unix(title).find(path) < 0:
            self.title_failed = True
            self.failures.append("the window title %r does not name the active file %s "
                                 "(checked once)" % (title, path))

    def check_data_folder(self):
        for folder in ("Packages", "Options"):
            if not os.path.isdir(os.path.join(self.data, folder)):
                self.failures.append("the data folder has no %r after start-up" % folder)

    def open_by_second_start(self, path, text):
        """A second start with `path` hands it to the first one and exits 0."""
        second = self.start_editor(path)
        try:
            status = second.wait(timeout=WINDOW_TIMEOUT)
        except subprocess.TimeoutExpired:
            os.killpg(second.pid, signal.SIGKILL)
            second.wait()
            raise Failure("a second start with %s did not end" % path)
        if status != 0:
            raise Failure("a second start with %s ended with status %d" % (path, status))
        if self.program.poll() is not None:
            raise Failure("the first program ended (status %s) when a second one started"
                          % self.program.returncode)
        self.wait_record(lambda r: r.path == path and r.text == text,
                         "the file %s handed over by a second start" % path)
        self.check_single_window("after a second start")
        self.check_title(path)

    def run_case(self, case):
        path = self.write_file(case["name"] + ".txt", case["before"])
        self.open_by_second_start(path, case["before"])
        self.focus()
        for step in case["steps"]:
            self.run_step(step)
        expected = [tuple(s) for s in case["selections"]]
        try:
            self.wait_record(lambda r: r.text == case["after"] and r.selections == expected,
                             "text %r with selections %s" % (case["after"], expected),
                             timeout=RECORD_TIMEOUT)
        except Failure as failure:
            self.screenshot("failed-" + case["name"])
            raise failure
        # Saved with the key a user presses: the file on disk follows. A
        # program that cannot save is reported once, not by every case.
        if self.saving_failed or not CASES_SAVE:
            return
        self.run_step(["key", "ctrl+s"])
        try:
            self.wait_file(path, case["after"], "ctrl+s", line_ending_of(case["before"]))
        except Failure as failure:
            self.saving_failed = True
            raise Failure("%s (later cases do not save)" % failure)

    def check_drag_selects_between_clicks(self, drag):
        """A drag selects from where a click at its start puts the caret to
        where a click at its end does, whatever the font measures."""
        x0, y0, x1, y1 = drag
        self.run_step(["click", x0, y0])
        start = self.wait_record(lambda r: len(r.selections) == 1 and
                                 r.selections[0][0] == r.selections[0][1],
                                 "a caret after a click").selections[0][1]
        self.run_step(["click", x1, y1])
        end = self.wait_record(lambda r: r.selections[0] == (r.selections[0][1],) * 2 and
                               r.selections[0][1] != start,
                               "a caret elsewhere after a second click").selections[0][1]
        self.run_step(["drag", x0, y0, x1, y1])
        record = self.wait_record(lambda r: r.selections == [(start, end)],
                                  "the selection (%d, %d) after a drag" % (start, end))
        # A double click where the drag began selects the word there.
        word = re.compile(r"\w+")
        words = [(m.start(), m.end()) for m in word.finditer(record.text)
                 if m.start() <= start <= m.end()]
        # The drag's press was at the same point: within the system's
        # double-click time it would make these clicks the second and third.
        time.sleep(DOUBLE_CLICK_TIME)
        self.run_step(["doubleclick", x0, y0])
        self.wait_record(lambda r: len(r.selections) == 1 and
                         tuple(sorted(r.selections[0])) in words,
                         "one of the words %s selected by a double click" % words)

    def check_opening(self, files, dialog_file, plain_shot):
        """The files opened at start-up (`files`, in tab order, the first
        active) and one more opened through the open dialog are the tabs of
        the window: the keyboard walks through them, each showing its own
        text, and the C file, files[1], shows the colour scheme's keyword
        colour, which the plain text of files[0] in `plain_shot` does
        not."""
        name, text = dialog_file
        path = self.write_file(name, text)
        self.focus()
        self.run_step(["key", "ctrl+o"])
        self.choose_in_file_dialog("Open", path, "ctrl+o")
        self.wait_record(lambda r: r.path == path and r.text == text,
                         "%s opened through the open dialog" % path)
        self.check_title(path)
        # The dialog's file opens in a tab after the active one. The walk
        # goes forwards round past the last tab, then back past the first,
        # and ends on the C file.
        tabs = files[:1] + [(path, text)] + files[1:]
        steps = {"ctrl+Next": 1, "ctrl+Prior": -1}
        here = 1
        for key in ["ctrl+Next"] * len(tabs) + ["ctrl+Prior"] * (len(tabs) - 1):
            here = (here + steps[key]) % len(tabs)
            tab_path, tab_text = tabs[here]
            self.run_step(["key", key])
            self.wait_record(lambda r: r.path == tab_path and r.text == tab_text,
                             "%s to show the tab of %s" % (key, tab_path))
        # The colours follow the text by a frame or a lexing pass.
        plain = self.keyword_pixels(plain_shot)
        deadline = time.monotonic() + SETTLE_TIMEOUT
        while True:
            shot = self.screenshot("c-file")
            coloured = self.keyword_pixels(shot)
            if coloured >= MINIMUM_KEYWORD_PIXELS or time.monotonic() > deadline:
                break
            time.sleep(0.2)
        if coloured < MINIMUM_KEYWORD_PIXELS:
            raise Failure("the C file %s shows %d pixels of the keyword colour #%02X%02X%02X, "
                          "not at least %d: no syntax colours? (see %s)"
                          % (files[1][0], coloured, *KEYWORD_COLOUR, MINIMUM_KEYWORD_PIXELS, shot))
        if plain >= MINIMUM_KEYWORD_PIXELS:
            raise Failure("the plain text file shows %d pixels of the keyword colour (see %s)"
                          % (plain, plain_shot))

    def check_two_groups(self, path, text, tab_point):
        """The file in both groups of a two-column layout, the second made
        from its tab's context menu, matches the golden picture."""
        self.open_by_second_start(path, text)
        self.focus()
        self.run_step(["key", "alt+shift+2"])
        # "New View into File" of the tab's context menu, by its mnemonic.
        self.mouse_to(*tab_point)
        before = self.all_visible_windows()
        self.xdotool("click", "3")
        menu_shown = self.wait_new_window(before, "the context menu of the tab at %s"
                                          % (tab_point,))
        self.xdotool("key", "n")
        self.wait_window_gone(menu_shown, "the tab's context menu", "pressing n in it")
        self.compare_with_golden("two-groups", os.path.join(self.args.golden_folder,
                                                            "two_groups.png"),
                                 masks=[STATUS_TEXT])
        self.run_step(["key", "alt+shift+1"])
        self.wait_record(lambda r: r.path == path, "%s active after going back to one group"
                         % path)

    def check_saving(self, saving):
        """A new file saved through the dialog, closed and opened again holds
        the typed bytes; closing unsaved text asks first, and Cancel keeps
        it; Save As moves the view to a new file; saving over a read-only
        file asks first, and No keeps the file as it was."""
        path = os.path.join(self.scratch, "files", saving["name"])
        typed = saving["typed"]
        self.focus()
        self.run_step(["key", "ctrl+n"])
        self.wait_record(lambda r: r.name == "untitled" and r.text == "", "a new untitled view")
        self.type_text(typed)
        self.wait_record(lambda r: r.text == typed, "the typed text in the new view")
        self.run_step(["key", "ctrl+s"])
        self.choose_in_file_dialog("Save As", path, "ctrl+s in a new view")
        self.wait_file(path, typed, "saving a new view through the dialog", DEFAULT_LINE_ENDING)
        self.wait_record(lambda r: r.path == path and r.text == typed,
                         "the saved view named %s" % path)
        self.run_step(["key", "ctrl+w"])
        self.wait_record(lambda r: r.path != path, "another view after ctrl+w closed %s" % path)
        self.check_single_window("after closing a saved view")
        self.open_by_second_start(path, typed)

        # Unsaved text: ctrl+w and alt+F4 ask, Cancel (Escape) keeps it all.
        changed = "X" + typed
        self.type_text("X")
        self.wait_record(lambda r: r.path == path and r.text == changed, "the changed text")
        for keys in ("ctrl+w", "alt+F4"):
            self.run_step(["key", keys])
            self.answer_question("Save Changes?", ["Escape"], "%s with unsaved text" % keys)
            if self.program.poll() is not None:
                raise Failure("the program ended although Cancel answered %s" % keys)
            if self.window not in self.visible_windows():
                raise Failure("the window went although Cancel answered %s" % keys)
            self.wait_record(lambda r: r.path == path and r.text == changed,
                             "the changed text still shown after Cancel answered %s" % keys)
        self.run_step(["key", "ctrl+s"])
        self.wait_file(path, changed, "ctrl+s after the cancelled closes", DEFAULT_LINE_ENDING)
        # Save As names the view after its new file; the old file stays.
        copy = os.path.join(self.scratch, "files", "copy-" + saving["name"])
        self.run_step(["key", "ctrl+shift+s"])
        self.choose_in_file_dialog("Save As", copy, "ctrl+shift+s")
        self.wait_file(copy, changed, "ctrl+shift+s", DEFAULT_LINE_ENDING)
        self.wait_record(lambda r: r.path == copy and r.text == changed,
                         "the view named after its new file %s" % copy)
        self.check_title(copy)
        self.wait_file(path, changed, "the file saved before Save As", DEFAULT_LINE_ENDING)

        # A read-only file: No leaves it as it was.
        kept = saving["read_only"]
        read_only = self.write_file("read_only.txt", kept)
        self.open_by_second_start(read_only, kept)
        self.type_text("X")
        self.wait_record(lambda r: r.path == read_only and r.text == "X" + kept,
                         "the changed read-only file")
        os.chmod(read_only, 0o444)
        self.run_step(["key", "ctrl+s"])
        self.answer_question("Read only file", ["n"], "ctrl+s over a read-only file")
        self.wait_file(read_only, kept, "No to the read-only question")
        if os.stat(read_only).st_mode & 0o222:
            raise Failure("No to the read-only question made %s writable" % read_only)
        # Closed with No to saving: the file still as it was, the view gone.
        self.run_step(["key", "ctrl+w"])
        self.answer_question("Save Changes?", ["n"], "ctrl+w on the changed read-only file")
        self.wait_record(lambda r: r.path != read_only,
                         "another view after closing %s without saving" % read_only)
        self.wait_file(read_only, kept, "No to saving the changes")

    def check_session_restore(self, session):
        """Three files in two groups, two of them with unsaved text, come
        back after the program is killed once the autosave has them: the
        groups, the views, their selections and the unsaved text byte for
        byte. One undo in each gives back the file's text, which leaves
        nothing unsaved for the exit that follows."""
        files = [(self.write_file(name, text), text) for name, text in session["files"]]
        for path, text in files:
            self.open_by_second_start(path, text)
        self.focus()
        # Two columns; the last file opened moves to the second one.
        right_path, right_text = files[-1]
        self.run_step(["key", "alt+shift+2", "ctrl+shift+2"])
        self.wait_record(lambda r: r.path == right_path, "%s in the second group" % right_path)
        self.type_text(session["typed_right"])
        right = self.wait_record(lambda r: r.text == session["typed_right"] + right_text,
                                 "the unsaved text in %s" % right_path)
        self.run_step(["key", "ctrl+1"])
        self.wait_record(lambda r: r.path != right_path, "the first group active after ctrl+1")
        # The caret of the unmodified file moves, so that its view can be
        # told from one opened afresh.
        other_path, other_text = files[1]
        self.open_by_second_start(other_path, other_text)
        self.focus()
        self.run_step(["key", "End"])
        other = self.wait_record(lambda r: r.path == other_path and r.selections != [(0, 0)],
                                 "the caret moved in %s" % other_path)
        left_path, left_text = files[0]
        # Shown again in the first group, where it already is.
        self.open_by_second_start(left_path, left_text)
        self.focus()
        self.type_text(session["typed_left"])
        left = self.wait_record(lambda r: r.path == left_path
                                and r.text == session["typed_left"] + left_text,
                                "the unsaved text in %s" % left_path)

        autosave = os.path.join(self.data, "Options", "Auto Save Session.vantrel-session")
        deadline = time.monotonic() + AUTOSAVE_TIMEOUT
        while time.monotonic() < deadline:
            try:
                with open(autosave, encoding="utf-8", errors="replace") as f:
                    saved = f.read()
            except OSError:
                saved = ""
            if session["typed_left"] in saved and session["typed_right"] in saved:
                break
            time.sleep(0.2)
        else:
            raise Failure("no autosave holding the unsaved text within %d s" % AUTOSAVE_TIMEOUT)

        os.killpg(self.program.pid, signal.SIGKILL)
        self.program.wait()
        self.end_wine()
        os.remove(self.hook)
        self.program = self.start_editor("--debug", log_file=self.program_log)
        self.wait_first_window()
        self.check_single_window("after the restart")
        for keys, before in (("ctrl+1", left), ("ctrl+2", right)):
            self.run_step(["key", keys])
            self.wait_record(lambda r: r.path == before.path and r.text == before.text
                             and r.selections == before.selections,
                             "after %s, %s as it was before the kill" % (keys, before.describe()))
            self.run_step(["key", "ctrl+z"])
            self.wait_record(lambda r: r.path == before.path and r.text == dict(files)[before.path],
                             "the text of %s on disk after one undo" % before.path)
        # The unmodified file is still open, its caret where it was.
        self.run_step(["key", "ctrl+1"])
        self.open_by_second_start(other_path, other_text)
        self.wait_record(lambda r: r.path == other_path and r.selections == other.selections,
                         "%s shown again with its caret as before the kill" % other_path)

    def close_and_check_exit(self):
        """Closing the last window ends the program with status 0."""
        self.focus()
        self.run_step(["key", "alt+F4"])
        try:
            status = self.program.wait(timeout=EXIT_TIMEOUT)
        except subprocess.TimeoutExpired:
            self.screenshot("failed-close")
            raise Failure("the program did not end after alt+F4 closed its last window")
        if status != 0:
            raise Failure("the program ended with status %d after its window closed" % status)


def run(args):
    for tool in ("Xvfb", "xdotool", "import", "compare", "identify"):
        if not shutil.which(tool):
            log("SKIPPED: %s is not installed (scripts/packages.sh installs it)" % tool)
            return SKIPPED
    if not os.path.exists(args.program):
        log("SKIPPED: no Wine build of the editor at %s" % args.program)
        return SKIPPED
    with open(args.cases, encoding="utf-8") as f:
        table = json.load(f)
    # Only this run's pictures and log are left in the output folder.
    shutil.rmtree(args.output, ignore_errors=True)
    os.makedirs(args.output)
    scratch = tempfile.mkdtemp(prefix="vantrel-e2e-")
    harness = Harness(args, scratch)
    start, opening, saving = table["start"], table["opening"], table["saving"]

    def wanted(name):
        return not args.only or name in args.only

    def scenario(name, check, *arguments):
        """Runs one scenario; its failure is reported under its name and the
        run goes on while the program does."""
        if not wanted(name):
            return
        log("scenario %s" % name)
        try:
            check(*arguments)
        except Failure as failure:
            harness.failures.append("%s: %s" % (name, failure))
            harness.screenshot("failed-" + name)
            if harness.program.poll() is not None:
                raise

    typed = [step[1] for case in table["cases"] for step in case["steps"] if step[0] == "type"]
    try:
        files = [(harness.write_file("first.txt", start["text"]), start["text"])]
        files += [(harness.write_file(name, text), text) for name, text in opening["command_line"]]
        harness.start_first(files, "".join(typed))
        harness.check_data_folder()
        shot = harness.compare_with_golden("editor-window", args.golden)
        harness.check_window_drawn(shot)
        scenario("drag", harness.check_drag_selects_between_clicks, start["drag"])
        scenario("opening", harness.check_opening, files, opening["dialog"], shot)
        scenario("two_groups", harness.check_two_groups, *files[1], opening["tab"])
        for case in table["cases"]:
            if wanted(case["name"]):
                log("case %s" % case["name"])
                try:
                    harness.run_case(case)
                except Failure as failure:
                    harness.failures.append("%s: %s" % (case["name"], failure))
                    if harness.program.poll() is not None:
                        raise
        scenario("saving", harness.check_saving, saving)
        scenario("session", harness.check_session_restore, table["session"])
        harness.close_and_check_exit()
    except Failure as failure:
        harness.failures.append(str(failure))
    finally:
        harness.end_everything()
        shutil.rmtree(scratch, ignore_errors=True)
    for failure in harness.failures:
        log("FAIL: " + failure)
    if harness.failures:
        log("program log and screenshots: %s" % args.output)
        return 1
    log("all whole-program checks passed")
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True, help="vantrel.exe.so")
    parser.add_argument("--prefix", required=True, help="the build tree's Wine prefix")
    parser.add_argument("--run-wine", required=True, help="cmake/run-wine.sh")
    parser.add_argument("--cases", required=True, help="tests/e2e/cases.json")
    parser.add_argument("--golden", required=True,
                        help="the golden screenshot of the start; the others lie beside it")
    parser.add_argument("--output", required=True, help="folder for screenshots and the log")
    parser.add_argument("--only", nargs="*",
                        help="run only the cases and scenarios of these names")
    args = parser.parse_args()
    for name in ("program", "prefix", "run_wine", "cases", "golden", "output"):
        setattr(args, name, os.path.abspath(getattr(args, name)))
    args.golden_folder = os.path.dirname(args.golden)
    return run(args)


if __name__ == "__main__":
    sys.exit(main())
