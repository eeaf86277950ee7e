#!/usr/bin/env python3
"""Fills unfinished entries of a .ts file from "source<TAB>translation" lines on
standard input, keeping lupdate's layout (for a developer adding texts; a
translator uses Qt Linguist)."""
import re
import sys
from xml.sax.saxutils import escape, unescape

ENTITIES = {'"': '&quot;', "'": '&apos;'}
path = sys.argv[1]
table = {}
for line in sys.stdin.read().splitlines():
    if '\t' in line:
        source, translation = line.split('\t', 1)
        table[source] = translation
with open(path, encoding='utf-8') as f:
    text = f.read()
missing = []


def fill(match):
    source = unescape(match.group(2), {v: k for k, v in ENTITIES.items()})
    if source not in table:
        missing.append(source)
        return match.group(0)
    return match.group(1) + '<translation>' + escape(table[source], ENTITIES) + '</translation>'


text = re.sub(r'(<source>([^<]*)</source>\s*(?:<comment>[^<]*</comment>\s*)?)'
              r'<translation type="unfinished"></translation>', fill, text, flags=re.S)
with open(path, 'w', encoding='utf-8') as f:
    f.write(text)
for source in missing:
    print('untranslated:', source)
sys.exit(1 if missing else 0)
