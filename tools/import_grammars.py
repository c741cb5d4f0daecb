#!/usr/bin/env python3
"""Copies the grammars the editor ships from tests/data/grammars into language
packages under Packages/, one folder per language.

Each grammar is written as "Packages/NAME/NAME.tmLanguage" with its `name`
key set to NAME (the display name that the syntax menu, the open and save
dialogs and the status bar's file-type button show), beside an options file
"NAME.vantrel-options" naming the file extensions that select it (the
grammars carry few `fileTypes` of their own). Every package gets a
LICENSE.md holding the grammar's row of the source table and the licence
texts of the notice file that cover it.

    tools/import_grammars.py [--check]

With --check nothing is written; the exit status is 1 when a shipped file
differs from what this script would write.
"""
import os
import plistlib
import re
import sys

from package_files import write_or_check

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE = os.path.join(ROOT, "tests", "data", "grammars")
PACKAGES = os.path.join(ROOT, "Packages")

# (source file, package, display name, extensions). A package may hold
# several grammars; a grammar listed without extensions is reached only by
# scope name from the others (it is left out of the menus).
GRAMMARS = [
    ("c.tmLanguage", "C", "C", "c h"),
    ("cpp.tmLanguage", "C++", "C++", "cpp cc cxx c++ hpp hh hxx h++ inl ipp"),
    ("cpp-macro.tmLanguage", "C++", "C++ Macro", ""),
    ("csharp.tmLanguage", "C#", "C#", "cs csx"),
    ("css.tmLanguage", "CSS", "CSS", "css"),
    ("diff.tmLanguage", "Diff", "Diff", "diff patch"),
    ("go.tmLanguage", "Go", "Go", "go"),
    ("html.tmLanguage", "HTML", "HTML", "html htm xhtml shtml"),
    ("ini.tmLanguage", "INI", "INI", "ini cfg conf properties"),
    ("java.tmLanguage", "Java", "Java", "java"),
    ("javascript.tmLanguage", "JavaScript", "JavaScript", "js mjs cjs"),
    ("json.tmLanguage", "JSON", "JSON", "json"),
    ("jsonc.tmLanguage", "JSON", "JSON with Comments", "jsonc"),
    ("lua.tmLanguage", "Lua", "Lua", "lua"),
    ("make.tmLanguage", "Makefile", "Makefile", "mk mak Makefile makefile GNUmakefile"),
    ("markdown.tmLanguage", "Markdown", "Markdown", "md markdown mdown mkd"),
    ("perl.tmLanguage", "Perl", "Perl", "pl pm t"),
    ("python.tmLanguage", "Python", "Python", "py pyw pyi"),
    ("regexp.tmLanguage", "Python", "Regular Expressions (Python)", ""),
    ("ruby.tmLanguage", "Ruby", "Ruby", "rb rake gemspec Rakefile Gemfile"),
    ("rust.tmLanguage", "Rust", "Rust", "rs"),
    ("shellscript.tmLanguage", "Shell Script", "Shell Script", "sh bash zsh ksh"),
    ("sql.tmLanguage", "SQL", "SQL", "sql"),
    ("typescript.tmLanguage", "TypeScript", "TypeScript", "ts mts cts"),
    ("bat.tmLanguage", "Batch File", "Batch File", "bat cmd"),
    ("cmake.tmLanguage", "CMake", "CMake", "cmake"),
    ("xml.tmLanguage", "XML", "XML", "xml xsd xsl xslt svg plist tmLanguage tmTheme tmPreferences "
                                     "tmSnippet vantrel-menu vantrel-keymap vantrel-toolbar"),
]


def source_rows():
    """The rows of the source table, by file name, and its closing notes."""
    rows = {}
    notes = []
    with open(os.path.join(SOURCE, "LICENSES.md"), encoding="utf-8") as table:
        after_table = False
        for line in table:
            match = re.match(r"\| ([^ |]+\.tmLanguage) \|", line)
            if match:
                rows[match.group(1)] = line.rstrip("\n")
                after_table = True
            elif after_table and line.strip():
                notes.append(line.strip())
    return rows, notes


def notice_sections():
    """The notice file's sections as (list of file names, text)."""
    with open(os.path.join(SOURCE, "NOTICE"), encoding="utf-8") as notice:
        text = notice.read()
    sections = []
    for block in re.split(r"\n=+\n", text):
        match = re.search(r"^Files:\s+(.*)$", block, re.M)
        if match:
            files = [name.strip() for name in match.group(1).split(",")]
            sections.append((files, block[match.start():].strip() + "\n"))
    return sections


def grammar_bytes(source, name):
    with open(os.path.join(SOURCE, source), "rb") as handle:
        grammar = plistlib.load(handle)
    grammar["name"] = name
    return plistlib.dumps(grammar, fmt=plistlib.FMT_XML, sort_keys=False)


def package_files():
    """Every file to write, as a map from path under Packages/ to bytes."""
    rows, notes = source_rows()
    sections = notice_sections()
    files = {}
    by_package = {}
    for source, package, name, extensions in GRAMMARS:
        by_package.setdefault(package, []).append((source, name))
        files[f"{package}/{name}.tmLanguage"] = grammar_bytes(source, name)
        if extensions:
            files[f"{package}/{name}.vantrel-options"] = f"extensions {extensions}\n".encode()
    for package, grammars in by_package.items():
        lines = [f"# Licences of the grammars of the {package} package", "",
                 "Copied from the project's converted grammars (tests/data/grammars), which come from",
                 "the npm package tm-grammars@1.32.22 (itself MIT); the only change is the `name` key,",
                 "set to the display name below. Source repository and licence as tm-grammars records them:",
                 "", "| file | copied from | scope | source repository | licence | source file |",
                 "|---|---|---|---|---|---|"]
        for source, name in grammars:
            cells = rows[source].split(" | ", 1)[1]
            lines.append(f"| {name}.tmLanguage | {source} | {cells}")
        for note in notes:
            if any(source in note for source, _ in grammars):
                lines += ["", note]
        lines += ["", "## Licence texts", ""]
        for files_covered, text in sections:
            if any(source in files_covered for source, _ in grammars):
                lines += [text]
        files[f"{package}/LICENSE.md"] = ("\n".join(lines).rstrip("\n") + "\n").encode()
    return files


def main():
    return write_or_check(PACKAGES, package_files(), "import_grammars.py", __doc__.split("\n\n")[0])


if __name__ == "__main__":
    sys.exit(main())
