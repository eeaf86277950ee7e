#!/usr/bin/env python3
"""Checks that every library under src/ includes only its own headers and those
of the libraries it links, so the dependency arrows run one way.

The links are read from the build files: src/<folder>/CMakeLists.txt declares
norvale_<folder>, and src/CMakeLists.txt the program (src/Norvale.cpp). A
library may include the headers of every library it links, PUBLIC or PRIVATE,
and of what those pass on through their own PUBLIC links, as the build does."""
import os
import re
import sys

DECLARED = re.compile(r'norvale_library\s*\(\s*(\w+)')
LINKS = re.compile(r'target_link_libraries\s*\(\s*(norvale(?:_\w+)?)\b([^)]*)\)', re.S)
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
KEYWORDS = {'PUBLIC', 'PRIVATE', 'INTERFACE', 'LINK_PUBLIC', 'LINK_PRIVATE'}


def read_links(src):
    """{library: (public links, all links)} of the libraries in src/; "" is the
    program. Only links to other libraries of src/ count."""
    folders = sorted(f for f in os.listdir(src) if os.path.isdir(os.path.join(src, f)))
    known = {'norvale_' + f: f for f in folders}
    known['norvale'] = ''
    links = {'': (set(), set())}
    files = [os.path.join(src, 'CMakeLists.txt')]
    files += [os.path.join(src, f, 'CMakeLists.txt') for f in folders]
    for path in files:
        if not os.path.isfile(path):
            continue
        with open(path, encoding='utf-8') as f:
            text = re.sub(r'#.*', '', f.read())
        for library in DECLARED.findall(text):
            links.setdefault(library, (set(), set()))
        for target, arguments in LINKS.findall(text):
            if target not in known:
                continue
            public, every = links.setdefault(known[target], (set(), set()))
            passed_on = True  # the plain form passes its links on
            for word in arguments.split():
                if word in KEYWORDS:
                    passed_on = word in ('PUBLIC', 'INTERFACE', 'LINK_PUBLIC')
                elif word in known and known[word] != '':
                    every.add(known[word])
                    if passed_on:
                        public.add(known[word])
    return folders, links


def allowed_includes(links):
    """{library: libraries whose headers it may include}."""
    def passed_on(library, seen):
        for linked in links.get(library, (set(), set()))[0]:
            if linked not in seen:
                seen.add(linked)
                passed_on(linked, seen)
        return seen

    allowed = {}
    for library, (_, every) in links.items():
        reach = set(every)
        for linked in every:
            passed_on(linked, reach)
        allowed[library] = reach | {library}
    return allowed


def main(src):
    faults = []
    folders, links = read_links(src)
    allowed = allowed_includes(links)
    for folder in folders:
        if folder not in links:
            faults.append(f'src/{folder}/: a folder that declares no library '
                          f'norvale_library({folder})')
            allowed[folder] = {folder}
    for dirpath, _, files in os.walk(src):
        library = os.path.relpath(dirpath, src).split(os.sep)[0]
        library = '' if library == '.' else library
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
                if header.split('/')[0] not in allowed.get(library, {library}):
                    faults.append(f'{path}: includes "{header}" of a library it does not link')
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else 'src'))
