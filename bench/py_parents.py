#!/usr/bin/env python3
"""Checks the parents tvtags gives Python methods against the ast module.

    py_parents.py TREE TVTAGS [WORK]

A method is a function whose nearest enclosing definition is a class.  For
each one the script looks up the tvtags tag of the same name, file and
line in a binary database of the tree and compares the tag's parent's name
with the class's name.  Prints the share that agree and some that do not.
"""
import ast
import os
import re
import subprocess
import sys


def methods(path):
    try:
        with open(path, 'rb') as f:
            tree = ast.parse(f.read(), path)
    except (SyntaxError, ValueError, RecursionError):
        return []
    out = []

    def walk(node, owner):
        for child in ast.iter_child_nodes(node):
            if isinstance(child, (ast.FunctionDef, ast.AsyncFunctionDef)):
                if isinstance(owner, ast.ClassDef):
                    out.append((child.name, child.lineno, owner.name))
                walk(child, child)
            elif isinstance(child, ast.ClassDef):
                walk(child, child)
            else:
                walk(child, owner)
    walk(tree, None)
    return out


def main():
    tree, tvtags = sys.argv[1], sys.argv[2]
    work = sys.argv[3] if len(sys.argv) > 3 else '/tmp/py_parents'
    os.makedirs(work, exist_ok=True)
    files = []
    for root, dirs, names in os.walk(tree):
        dirs.sort()
        for n in sorted(names):
            full = os.path.join(root, n)
            if n.endswith('.py') and os.path.isfile(full) and not os.path.islink(full):
                files.append(full)
    listpath = os.path.join(work, 'files.list')
    with open(listpath, 'w') as f:
        f.write('\n'.join(files) + '\n')
    db = os.path.join(work, 'py.tags')
    if os.path.exists(db):
        os.remove(db)
    subprocess.run([tvtags, '-q', '-binary', '-o', db, '-I', listpath], check=True)
    fl = subprocess.run([tvtags, '-filelist', db], check=True, capture_output=True,
                        text=True, errors='surrogateescape').stdout
    fileno = {}
    for line in fl.splitlines():
        k, _, path = line.partition(': ')
        fileno[int(k)] = path
    listing = subprocess.run([tvtags, '-list', db], check=True, capture_output=True,
                             text=True, errors='surrogateescape').stdout
    rx = re.compile(r'^([0-9a-f]+): (\S+)\s+file#([0-9a-f]+)\((\d+)\) (\S+) type=\S+ parent=([0-9a-f]+)')
    tags = {}
    names = {}
    for line in listing.splitlines():
        m = rx.match(line)
        if not m:
            continue
        idx, name, fno, lno, kind, parent = m.groups()
        idx = int(idx, 16)
        names[idx] = name
        if kind in ('METHOD', 'CLASS'):
            path = fileno.get(int(fno, 16), '')
            tags[(path, int(lno), name)] = int(parent, 16)
    total = agree = missing = 0
    bad = []
    for path in files:
        for name, line, owner in methods(path):
            total += 1
            p = tags.get((path, line, name))
            if p is None:
                missing += 1
                bad.append('%s:%d %s: no tag' % (path, line, name))
                continue
            got = names.get(p, '-')
            if got == owner:
                agree += 1
            else:
                bad.append('%s:%d %s: parent %s, ast says %s' % (path, line, name, got, owner))
    print('methods: %d, parent agrees: %d (%.2f%%), no tag: %d' %
          (total, agree, 100.0 * agree / max(total, 1), missing))
    for b in bad[:20]:
        print('  ' + b)
    with open(os.path.join(work, 'disagree.txt'), 'w') as f:
        f.write('\n'.join(bad) + '\n')


if __name__ == '__main__':
    main()
