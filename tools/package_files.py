"""Writing the files a package script generates, or checking them: the one
place the theme and grammar scripts share."""
import argparse
import os
import sys


def write_or_check(root, files, script, description):
    """Writes `files` (a map from path under `root` to bytes), leaving
    unchanged files alone; with --check on the command line writes nothing
    and names every file that differs. Returns the exit status."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    arguments = parser.parse_args()
    stale = []
    for relative, data in sorted(files.items()):
        path = os.path.join(root, relative)
        try:
            with open(path, "rb") as handle:
                current = handle.read()
        except OSError:
            current = None
        if current == data:
            continue
        if arguments.check:
            stale.append(relative)
            continue
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as handle:
            handle.write(data)
    shown_root = os.path.relpath(root, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    for relative in stale:
        print(f"{shown_root}/{relative} differs from what tools/{script} writes", file=sys.stderr)
    return 1 if stale else 0
