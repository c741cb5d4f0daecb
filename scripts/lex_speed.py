#!/usr/bin/env python3
"""Whole-file lexing speed of lexdump against the reference tokenizer.

    scripts/lex_speed.py [--build DIR] [--lines N] [--rounds R] [--extra FILE:SCOPE]...

Each sample of tests/data/lexing (and each --extra file) is repeated to about
N lines (default 4000) in a scratch folder and lexed whole, with the same
grammar folder, by both sides in turn, R rounds (default 2) alternating the
two so that a busy machine slows both alike. Per sample it prints both
times in seconds (the best of the rounds; lexdump --time itself reports the
best of three passes after the first, the reference one pass after a warm-up
pass) and the ratio reference/ours; at the end the geometric mean of the
ratios. Exit code 2 when a tool is missing (run the reference tokenizer's
setup.sh first; REF_DIR as it says).
"""
import argparse
import json
import math
import os
import re
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SHARED = os.path.normpath(os.path.join(ROOT, '..', '..', 'shared'))
SAMPLES = [
    ('xtranslcl.c', 'source.c'),
    ('death_test.h', 'source.cpp'),
    ('random_device.cpp', 'source.cpp'),
    ('test_gyp.py', 'source.python'),
    ('docs_index.js', 'source.js'),
    ('package.json', 'source.json'),
    ('npm_install_ci_test.html', 'text.html.basic'),
    ('maven_settings.xml', 'text.xml'),
    ('npm_ci.md', 'text.html.markdown'),
    ('apt_postgresql.sh', 'source.shell'),
    ('style.css', 'source.css'),
    ('example.yaml', 'source.yaml'),
    ('system_constraints.sql', 'source.sql'),
    ('proxy.go', 'source.go'),
    ('debian_packaging.mk', 'source.makefile'),
]


def repeated(path, lines, folder):
    with open(path, encoding='utf-8') as source:
        once = source.read()
    if not once.endswith('\n'):
        once += '\n'
    count = max(1, once.count('\n'))
    out = os.path.join(folder, os.path.basename(path))
    with open(out, 'w', encoding='utf-8') as target:
        target.write(once * max(1, -(-lines // count)))
    return out


def ours(lexdump, grammars, scope, path):
    text = subprocess.run([lexdump, '--time', grammars, scope, path], check=True,
                          capture_output=True, text=True).stdout
    return float(re.search(r'seconds=([0-9.]+)', text).group(1))


def reference(tokenizer, grammars, scope, path):
    text = subprocess.run(['node', tokenizer, '--bench', scope, path, '--grammars', grammars],
                          check=True, capture_output=True, text=True).stdout
    return json.loads(text.strip().splitlines()[-1])['seconds']


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--build', default=os.path.join(ROOT, 'build'))
    parser.add_argument('--lines', type=int, default=4000)
    parser.add_argument('--rounds', type=int, default=2)
    parser.add_argument('--grammars', default=os.path.join(SHARED, 'fixtures', 'grammars'))
    parser.add_argument('--tokenizer',
                        default=os.path.join(SHARED, 'tools', 'reference-tokenizer',
                                             'tokenize.mjs'))
    parser.add_argument('--extra', action='append', default=[], metavar='FILE:SCOPE')
    parser.add_argument('--only', action='append', default=[], metavar='NAME')
    arguments = parser.parse_args()

    lexdump = os.path.join(arguments.build, 'lexdump')
    for tool in (lexdump, arguments.tokenizer):
        if not os.path.exists(tool):
            print('missing ' + tool, file=sys.stderr)
            return 2
    samples = [(os.path.join(ROOT, 'tests', 'data', 'lexing', name), scope)
               for name, scope in SAMPLES]
    samples += [tuple(extra.rsplit(':', 1)) for extra in arguments.extra]
    if arguments.only:
        samples = [s for s in samples if any(o in os.path.basename(s[0]) for o in arguments.only)]

    ratios = []
    with tempfile.TemporaryDirectory(prefix='lex-speed.') as folder:
        print('%-26s %-20s %9s %9s %7s' % ('sample', 'scope', 'ours', 'ref', 'ratio'))
        for path, scope in samples:
            text = repeated(path, arguments.lines, folder)
            our_best = reference_best = math.inf
            for _ in range(arguments.rounds):
                our_best = min(our_best, ours(lexdump, arguments.grammars, scope, text))
                reference_best = min(reference_best,
                                     reference(arguments.tokenizer, arguments.grammars, scope,
                                               text))
            ratio = reference_best / our_best
            ratios.append(ratio)
            print('%-26s %-20s %9.4f %9.4f %7.2f' % (os.path.basename(path), scope, our_best,
                                                      reference_best, ratio), flush=True)
    mean = math.exp(sum(math.log(r) for r in ratios) / len(ratios))
    print('geometric mean of %d ratios: %.2f' % (len(ratios), mean))
    return 0


if __name__ == '__main__':
    sys.exit(main())
