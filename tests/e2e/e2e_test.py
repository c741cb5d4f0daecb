#!/usr/bin/env python3
"""The whole editor as a user meets it.

Starts the real program under its own Xvfb display with a scratch data folder
and a file, drives it with real X input (xdotool: typing, keys, clicks and a
drag), and checks what came of it three ways: the text and selections of the
active view, which the program writes to the file named by VANTREL_TEST_HOOK
after every frame that changed them; the files it saved; and a screenshot,
which must show a drawn window and match one a person has looked at
(tests/data/e2e/) when there is one. The editing cases are rows of
tests/e2e/cases.json: the file's text before, the input, the text and the
selections after. Each case opens its own file in the running program by a
second start of the editor, which hands its arguments over and exits 0; the
run ends by closing the window with alt+F4, after which the program must end
with status 0.

Exit status: 0 when every check passed, 1 when one failed, 77 (skipped) when
there is nothing to test: no Wine build, or the tools to drive it missing.
"""

import argparse
import ctypes
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
SCREEN = "1280x800x24"
# Generous bounds: a loaded CI machine starts Wine slowly. A passing run waits
# only as long as the program needs.
WINDOW_TIMEOUT = 60.0
RECORD_TIMEOUT = 10.0
EXIT_TIMEOUT = 20.0
KEY_DELAY_MS = "40"
UNMAPPED_CHARACTER_PAUSE = 0.5
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
# The editor has no save command yet; once it has, every case also saves
# with ctrl+s and checks the file on disk.
CASES_SAVE = False


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

    def end_everything(self):
        try:
            if self.program and self.program.poll() is None:
                os.killpg(self.program.pid, signal.SIGKILL)
                self.program.wait()
            env = dict(os.environ, WINEPREFIX=self.args.prefix)
            subprocess.run(["/usr/lib/wine/wineserver", "-k"], env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
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
        # xdotool types a character that has no key on the keyboard map by
        # mapping it to a spare key for the moment; Wine reads the new map
        # only when it gets round to it, so such characters go one at a time
        # with time between them.
        for piece in re.findall(r"[\x00-\x7f]+|[^\x00-\x7f]", text):
            if piece.isascii():
                self.xdotool("type", "--delay", KEY_DELAY_MS, "--", piece)
            else:
                time.sleep(UNMAPPED_CHARACTER_PAUSE)
                self.xdotool("type", "--", piece)
                time.sleep(UNMAPPED_CHARACTER_PAUSE)

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

    def check_window_drawn(self, shot):
        """The window's inside holds more than a cleared background: a
        window that draws nothing (all black) has one or two colours there,
        text has its anti-aliasing shades."""
        inside = self.window_inside()
        result = subprocess.run(["identify", "-format", "%k", "%s[%s]" % (shot, inside)],
                                capture_output=True, text=True)
        colours = int(result.stdout.strip() or 0)
        if colours < MINIMUM_DRAWN_COLOURS:
            self.failures.append("the window shows %d colours inside: nothing is drawn "
                                 "(see %s)" % (colours, shot))

    def compare_with_golden(self, shot, golden):
        """Compares the window's inside in `shot` with the golden image."""
        actual = os.path.join(self.output, "editor-window-inside.png")
        subprocess.run(["convert", shot, "-crop", self.window_inside(), "+repage", actual],
                       check=True, capture_output=True)
        if not os.path.exists(golden):
            # A golden image is kept only once a person has looked at it.
            log("NOTE: no golden image %s yet; look at %s and keep it if it is right"
                % (golden, actual))
            return
        difference = os.path.join(self.output, "difference.png")
        result = subprocess.run(["compare", "-metric", "AE", "-fuzz", SCREENSHOT_FUZZ,
                                 golden, actual, difference], capture_output=True, text=True)
        try:
            pixels = float(result.stderr.split()[0])
        except (IndexError, ValueError):
            self.failures.append("compare failed: %s" % result.stderr.strip())
            return
        if pixels > SCREENSHOT_PIXEL_TOLERANCE:
            self.failures.append("the screen differs from %s in %d pixels; actual %s, "
                                 "difference %s" % (golden, pixels, actual, difference))

    # --- The run --------------------------------------------------------------

    def write_file(self, name, text):
        path = os.path.join(self.scratch, "files", name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(text)
        return path

    def start_first(self, path, text):
        self.display = Display()
        os.makedirs(self.data)
        self.program_log = open(os.path.join(self.output, "program.log"), "w")
        self.program = self.start_editor("--debug", path, log_file=self.program_log)
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
        self.wait_record(lambda r: r.path == path and r.text == text,
                         "the first file %s in the window" % path)
        self.check_single_window("after start-up")
        self.check_title(path)

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
        deadline = time.monotonic() + RECORD_TIMEOUT
        while time.monotonic() < deadline:
            with open(path, encoding="utf-8", newline="") as f:
                saved = f.read()
            if saved == case["after"]:
                return
            time.sleep(0.1)
        self.saving_failed = True
        raise Failure("ctrl+s saved %r, not %r (later cases do not save)"
                      % (saved, case["after"]))

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
    start = table["start"]
    try:
        first = harness.write_file("first.txt", start["text"])
        harness.start_first(first, start["text"])
        harness.check_data_folder()
        time.sleep(0.5)  # the first frames settle (scroll, caret) before the picture
        shot = harness.screenshot("editor-window")
        harness.check_window_drawn(shot)
        harness.compare_with_golden(shot, args.golden)
        try:
            harness.check_drag_selects_between_clicks(start["drag"])
        except Failure as failure:
            harness.failures.append("drag: %s" % failure)
            harness.screenshot("failed-drag")
        for case in table["cases"]:
            if args.only and case["name"] not in args.only:
                continue
            log("case %s" % case["name"])
            try:
                harness.run_case(case)
            except Failure as failure:
                harness.failures.append("%s: %s" % (case["name"], failure))
                if harness.program.poll() is not None:
                    raise
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
    parser.add_argument("--golden", required=True, help="the golden screenshot")
    parser.add_argument("--output", required=True, help="folder for screenshots and the log")
    parser.add_argument("--only", nargs="*", help="run only the cases of these names")
    args = parser.parse_args()
    for name in ("program", "prefix", "run_wine", "cases", "golden", "output"):
        setattr(args, name, os.path.abspath(getattr(args, name)))
    return run(args)


if __name__ == "__main__":
    sys.exit(main())
