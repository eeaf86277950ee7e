#!/usr/bin/env python3
"""Checks that every library under src/ includes only its own headers and those
of the libraries below it, so the dependency arrows run one way."""
import os
import re
import sys

# Each library of src/ and the libraries it may include; "" is the program's
# start-up (src/Norvale.cpp).
ALLOWED = {
    'platform': set(),
    'dataaccess': {'platform'},
    'automation': {'platform'},
    'records': {'dataaccess', 'platform'},
    'export': {'records', 'automation', 'platform'},
    'curves': {'records', 'platform'},
    'printing': {'platform'},
    'widgets': {'platform'},
    'colourdialog': {'widgets', 'platform'},
    'curvewindow': {'curves', 'records', 'widgets', 'colourdialog', 'printing', 'platform'},
    'mainwindow': {'records', 'export', 'curves', 'automation', 'widgets', 'platform'},
    'cli': {'mainwindow', 'curvewindow', 'records', 'curves', 'export', 'automation',
            'printing', 'widgets', 'platform'},
    '': {'cli', 'mainwindow', 'curvewindow', 'colourdialog', 'automation', 'platform'},
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def main(src):
    faults = []
    for folder in sorted(os.listdir(src)):
        if os.path.isdir(os.path.join(src, folder)) and folder not in ALLOWED:
            faults.append(f'src/{folder}/: a folder that is no known library')
    for dirpath, _, files in os.walk(src):
        library = os.path.relpath(dirpath, src).split(os.sep)[0]
        library = '' if library == '.' else library
        allowed = ALLOWED.get(library, set()) | {library}
        for name in sorted(files):
            if not name.endswith(('.h', '.cpp')):
                continue
            path = os.path.join(dirpath, name)
            with open(path, encoding='utf-8') as f:
                text = f.read()
            for header in INCLUDE.findall(text):
                if header.startswith('ui_') or header.endswith('.moc'):
                    continue
                if '/' not in header:
                    faults.append(f'{path}: "{header}" is not named by its library')
                    continue
                target = header.split('/')[0]
                if target not in allowed:
                    faults.append(f'{path}: includes "{header}" of a library above it')
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else 'src'))
