#!/usr/bin/env python3
"""Checks that the folders under src/ stack one way.

Three rules:
  * the graph "folder A includes a header of folder B" has no circle;
  * a folder includes only folders below it in LAYERS, the order the README's layout shows;
  * code outside the windows (a `ui/` folder, shell/, widgets/, app/) includes no window header.
Prints each fault with the include that causes it and exits 1; exits 0 when there is none.
Usage: check-layers.py SRC_FOLDER
"""
import os
import re
import sys

# Bottom to top.
LAYERS = ['platform', 'shared', 'skins', 'widgets', 'service', 'contacts', 'history', 'messaging',
          'account', 'settings', 'shell', 'cli', 'app']
WINDOW_FOLDERS = {'shell', 'widgets', 'app'}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def sources(src):
    for folder, _, names in os.walk(src):
        for name in sorted(names):
            if name.endswith(('.h', '.cpp')):
                yield os.path.relpath(os.path.join(folder, name), src)


def includes(src, path):
    """(line number, header path relative to src) of each quoted include that names a file."""
    with open(os.path.join(src, path), encoding='utf-8') as text:
        for number, line in enumerate(text, 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            for base in (os.path.dirname(path), ''):
                header = os.path.normpath(os.path.join(base, match.group(1)))
                if os.path.isfile(os.path.join(src, header)):
                    yield number, header
                    break


def top_folder(path):
    parts = path.split(os.sep)
    return parts[0] if len(parts) > 1 else None


def is_window_code(path):
    parts = path.split(os.sep)
    return parts[0] in WINDOW_FOLDERS or 'ui' in parts[1:-1]


def find_circle(edges):
    """A list of folders A, B, ..., A forming a circle, or None."""
    state = {}
    stack = []

    def visit(folder):
        state[folder] = 'open'
        stack.append(folder)
        for target in sorted(edges.get(folder, {})):
            if state.get(target) == 'open':
                return stack[stack.index(target):] + [target]
            if target not in state:
                circle = visit(target)
                if circle:
                    return circle
        stack.pop()
        state[folder] = 'done'
        return None

    for folder in sorted(edges):
        if folder not in state:
            circle = visit(folder)
            if circle:
                return circle
    return None


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    src = sys.argv[1]
    edges = {}  # folder -> {folder: "file:line includes header"}
    faults = []
    for path in sources(src):
        source_folder = top_folder(path)
        for number, header in includes(src, path):
            where = f'{path}:{number} includes "{header}"'
            target_folder = top_folder(header)
            if source_folder and target_folder and source_folder != target_folder:
                edges.setdefault(source_folder, {}).setdefault(target_folder, where)
            if not is_window_code(path) and is_window_code(header):
                faults.append(f'core code includes a window header: {where}')

    for source_folder in sorted(edges):
        if source_folder not in LAYERS:
            faults.append(f'folder {source_folder} has no place in LAYERS of {sys.argv[0]}')
            continue
        for target_folder, where in sorted(edges[source_folder].items()):
            if target_folder in LAYERS and \
                    LAYERS.index(target_folder) > LAYERS.index(source_folder):
                faults.append(f'{source_folder} sits below {target_folder}, yet {where}')

    circle = find_circle(edges)
    if circle:
        steps = ' -> '.join(circle)
        faults.append(f'the folders include each other in a circle: {steps}')
        for source_folder, target_folder in zip(circle, circle[1:]):
            faults.append(f'  {source_folder} -> {target_folder}: '
                          f'{edges[source_folder][target_folder]}')
        upward = [(a, b) for a, b in zip(circle, circle[1:])
                  if a in LAYERS and b in LAYERS and LAYERS.index(b) > LAYERS.index(a)]
        closing = upward[0] if upward else (circle[-2], circle[-1])
        faults.append(f'  the include that closes it: {edges[closing[0]][closing[1]]}')

    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())
