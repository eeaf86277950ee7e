#!/usr/bin/env python3
"""Runs scripts/check-includes.py on tiny src/ trees written for each case and
expects it to pass or fail as the links read from their CMake files say."""
import os
import subprocess
import sys
import tempfile

# The lowest library, one that links it publicly, one that links that one
# privately, and the program.
BASE = {
    'CMakeLists.txt': 'add_executable(norvale Norvale.cpp)\n'
                      'target_link_libraries(norvale PRIVATE norvale_top Qt6::Widgets)\n',
    'Norvale.cpp': '#include "top/Top.h"\n',
    'low/CMakeLists.txt': 'norvale_library(low Low.cpp Low.h)\n'
                          'target_link_libraries(norvale_low PUBLIC Qt6::Core)\n',
    'low/Low.h': '#pragma once\n',
    'low/Low.cpp': '#include "low/Low.h"\n',
    'mid/CMakeLists.txt': 'norvale_library(mid Mid.cpp Mid.h)\n'
                          'target_link_libraries(norvale_mid PUBLIC norvale_low Qt6::Core)\n',
    'mid/Mid.h': '#pragma once\n#include "low/Low.h"\n',
    'mid/Mid.cpp': '#include "mid/Mid.h"\n',
    'top/CMakeLists.txt': 'norvale_library(top Top.cpp Top.h)\n'
                          'target_link_libraries(norvale_top PUBLIC Qt6::Widgets\n'
                          '  PRIVATE norvale_mid)\n',
    'top/Top.h': '#pragma once\n',
    'top/Top.cpp': '#include "top/Top.h"\n#include "mid/Mid.h"\n',
}

# (case, files changed or added (None: removed), the exit code expected)
CASES = [
    ('the tree as it is', {}, 0),
    ('a header of a library passed on publicly', {'top/Top.cpp': '#include "low/Low.h"\n'}, 0),
    ('a library without links of its own', {
        'low/CMakeLists.txt': 'norvale_library(low Low.cpp Low.h)\n'}, 0),
    ('a header of a library above', {'low/Low.cpp': '#include "mid/Mid.h"\n'}, 1),
    ('a header of a library above, from a header', {'mid/Mid.h': '#include "top/Top.h"\n'}, 1),
    ('the program through a private link', {'Norvale.cpp': '#include "mid/Mid.h"\n'}, 1),
    ('a private link is not passed on', {
        'mid/CMakeLists.txt': 'norvale_library(mid Mid.cpp Mid.h)\n'
                              'target_link_libraries(norvale_mid PRIVATE norvale_low)\n',
        'top/Top.cpp': '#include "low/Low.h"\n'}, 1),
    ('a link in a comment does not count', {
        'top/CMakeLists.txt': 'norvale_library(top Top.cpp Top.h)\n'
                              '# target_link_libraries(norvale_top PRIVATE norvale_mid)\n'}, 1),
    ('a header not named by its library', {'mid/Mid.cpp': '#include "Mid.h"\n'}, 1),
    ('a folder that is no library', {'stray/Stray.cpp': '#include "low/Low.h"\n'}, 1),
    ('generated forms and moc files are left alone', {
        'top/Top.cpp': '#include "ui_Top.h"\n#include "Top.moc"\n'}, 0),
]


def run(script, changes):
    with tempfile.TemporaryDirectory() as root:
        src = os.path.join(root, 'src')
        files = dict(BASE)
        files.update(changes)
        for name, text in files.items():
            if text is None:
                continue
            path = os.path.join(src, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, 'w', encoding='utf-8') as f:
                f.write(text)
        done = subprocess.run([sys.executable, script, src], capture_output=True, text=True)
        return done.returncode, done.stdout


def main(script):
    failed = 0
    for name, changes, expected in CASES:
        code, output = run(script, changes)
        verdict = 'ok' if code == expected else 'FAIL'
        failed += code != expected
        print(f'{verdict}: {name}: exit {code}, expected {expected}')
        if output:
            print('   ' + output.strip().replace('\n', '\n   '))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1]))
