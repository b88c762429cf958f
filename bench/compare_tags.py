#!/usr/bin/env python3
"""Compares the definitions tvtags finds in a tree with a peer's.

For one language: the files of a tree (by extension or from a list), the
peer's kinds to compare (Universal Ctags by default, or a ground-truth file
of one's own), and tvtags' text form of the same files.  A peer tag counts
as found when tvtags has a tag of the same name in the same file.  Prints
the share found per kind and overall, then the largest groups of misses by
kind and directory and the most frequent missed names.  WORK keeps the
lists: peer.tsv, tvtags.tsv and misses.tsv (name, file, kind, line).

    compare_tags.py --peer-lang Python --tree /usr/lib/python3.11 --ext py \\
        --kinds c,f,m [--tvtags BIN] [--work DIR]

--kinds takes the peer's kind letters or names (empty: every kind).
--truth TSV replaces the peer with lines of name, file (relative to the
tree) and kind.  --name-sub SIDE REGEX REPL rewrites names on one side
(peer or tv) before they are matched, e.g. to drop a scope prefix.
Values that start with a dash are given with an equals sign:
--peer-args='--extras=+q'.
"""
import argparse
import collections
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_TVTAGS = os.path.join(HERE, '..', 'build', 'release', 'tvtags', 'tvtags')


def parse_args():
    p = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    p.add_argument('--tree', required=True)
    p.add_argument('--peer-lang', help="the peer's language name (ctags-universal --list-languages)")
    p.add_argument('--ext', default='', help='comma-separated file extensions, without dots')
    p.add_argument('--files', help='a file of names relative to the tree, one a line')
    p.add_argument('--kinds', default='', help="the peer's kinds to compare, letters or names")
    p.add_argument('--tvtags', default=DEFAULT_TVTAGS)
    p.add_argument('--work', default='/tmp/compare_tags')
    p.add_argument('--tv-args', default='', help='more switches for tvtags')
    p.add_argument('--peer', default='ctags-universal')
    p.add_argument('--peer-args', default='', help='more switches for the peer')
    p.add_argument('--truth', help='name<TAB>file<TAB>kind lines instead of the peer')
    p.add_argument('--name-sub', nargs=3, action='append', default=[],
                   metavar=('SIDE', 'REGEX', 'REPL'))
    p.add_argument('--top', type=int, default=15, help='rows of each miss table')
    return p.parse_args()


def list_files(tree, exts, listfile):
    if listfile:
        with open(listfile, encoding='utf-8', errors='surrogateescape') as f:
            names = [l.rstrip('\n') for l in f if l.strip()]
        return sorted(n[2:] if n.startswith('./') else n for n in names)
    wanted = tuple('.' + e.lower() for e in exts.split(',') if e)
    out = []
    for root, dirs, files in os.walk(tree):
        dirs.sort()
        for f in files:
            if f.lower().endswith(wanted):
                full = os.path.join(root, f)
                if os.path.isfile(full) and not os.path.islink(full):
                    out.append(os.path.relpath(full, tree))
    return sorted(out)


def subs_for(args, side):
    return [(re.compile(r), s) for w, r, s in args.name_sub if w == side]


def rename(name, subs):
    for rx, repl in subs:
        name = rx.sub(repl, name)
    return name


def peer_tags(args, tree, listpath):
    if args.truth:
        rows = []
        with open(args.truth, encoding='utf-8', errors='surrogateescape') as f:
            for l in f:
                parts = l.rstrip('\n').split('\t')
                if len(parts) >= 3:
                    rows.append((parts[0], parts[1], parts[2], parts[3] if len(parts) > 3 else ''))
        return rows
    cmd = [args.peer, '-L', listpath, '-x', '--_xformat=%N\t%F\t%K\t%n\t%k']
    if args.peer_lang:
        cmd += ['--languages=' + args.peer_lang]
    cmd += args.peer_args.split()
    res = subprocess.run(cmd, cwd=tree, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    wanted = set(k for k in args.kinds.split(',') if k)
    rows = []
    for l in res.stdout.decode('utf-8', 'surrogateescape').splitlines():
        parts = l.split('\t')
        if len(parts) < 5:
            continue
        name, fname, kind, line, letter = parts[:5]
        if wanted and kind not in wanted and letter not in wanted:
            continue
        if name.startswith('__anon') or name.startswith('anon#'):
            continue
        rows.append((name, os.path.normpath(fname), kind, line))
    return rows


TV_LINE = re.compile(r'\((\d+)\) (\S+)')


def tv_tags(args, tree, files, work):
    files_set = set(files)
    listpath = os.path.join(work, 'tvtags.list')
    with open(listpath, 'w', encoding='utf-8', errors='surrogateescape') as f:
        for n in files:
            f.write(os.path.join(tree, n) + '\n')
    out = os.path.join(work, 'tvtags.txt')
    if os.path.exists(out):
        os.remove(out)
    cmd = [args.tvtags, '-q', '-text', '-tvtags', '-o', out] + args.tv_args.split() + ['-I', listpath]
    with open(os.path.join(work, 'tvtags.err'), 'wb') as err:
        subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=err)
    rows = []
    prefix = ' ' + tree.rstrip('/') + '/'
    if not os.path.exists(out):
        return rows
    with open(out, encoding='utf-8', errors='surrogateescape') as f:
        for l in f:
            l = l.rstrip('\n')
            # NAME FILE(LINE) TYPE ...: the file is absolute under the tree,
            # which finds the end of a name that holds blanks.
            # A file name holding blanks is quoted.
            at = l.find(prefix)
            quoted = l.find(' "' + prefix[1:])
            if quoted >= 0 and (at < 0 or quoted < at):
                name, rest = l[:quoted], l[quoted + len(prefix) + 1:].replace('"(', '(', 1)
            elif at >= 0:
                name, rest = l[:at], l[at + len(prefix):]
            else:
                continue
            m = next((m for m in TV_LINE.finditer(rest) if rest[:m.start()] in files_set), None)
            if m is None:
                continue
            rows.append((name, rest[:m.start()], m.group(2), m.group(1)))
    return rows


def write_tsv(path, rows):
    with open(path, 'w', encoding='utf-8', errors='surrogateescape') as f:
        for r in rows:
            f.write('\t'.join(r) + '\n')


def main():
    args = parse_args()
    tree = os.path.realpath(args.tree)
    work = os.path.realpath(args.work)
    os.makedirs(work, exist_ok=True)
    files = list_files(tree, args.ext, args.files)
    if not files:
        sys.exit('no files found')
    print('files: %d' % len(files))
    peer_list = os.path.join(work, 'peer.list')
    with open(peer_list, 'w', encoding='utf-8', errors='surrogateescape') as f:
        f.write('\n'.join(files) + '\n')

    peer = peer_tags(args, tree, peer_list)
    peer_subs = subs_for(args, 'peer')
    peer = sorted(set((rename(n, peer_subs), f, k, l) for n, f, k, l in peer))
    tv = tv_tags(args, tree, files, work)
    tv_subs = subs_for(args, 'tv')
    tv = sorted(set((rename(n, tv_subs), f, k, l) for n, f, k, l in tv))
    write_tsv(os.path.join(work, 'peer.tsv'), peer)
    write_tsv(os.path.join(work, 'tvtags.tsv'), tv)

    have = set((n, f) for n, f, _, _ in tv)
    total = collections.Counter()
    found = collections.Counter()
    misses = []
    seen = set()
    for n, f, k, l in peer:
        if (n, f, k) in seen:
            continue        # one name defined twice in a file counts once
        seen.add((n, f, k))
        total[k] += 1
        if (n, f) in have:
            found[k] += 1
        else:
            misses.append((n, f, k, l))
    write_tsv(os.path.join(work, 'misses.tsv'), misses)

    for k in sorted(total):
        print('%-14s %8d of %8d  %6.2f%%' % (k, found[k], total[k], 100.0 * found[k] / total[k]))
    all_total, all_found = sum(total.values()), sum(found.values())
    if all_total:
        print('%-14s %8d of %8d  %6.2f%%' % ('all', all_found, all_total, 100.0 * all_found / all_total))
    print('tvtags tags: %d (%d kinds)' % (len(tv), len(set(k for _, _, k, _ in tv))))

    print('\nmisses by kind and directory (largest first):')
    groups = collections.Counter((k, os.path.dirname(f) or '.') for _, f, k, _ in misses)
    for (k, d), c in groups.most_common(args.top):
        print('%7d  %-12s %s' % (c, k, d))
    print('\nmost frequent missed names:')
    names = collections.Counter((n, k) for n, _, k, _ in misses)
    for (n, k), c in names.most_common(args.top):
        print('%7d  %-12s %s' % (c, k, n))
    print('\nsome misses (file:line kind name):')
    step = max(1, len(misses) // args.top)
    for n, f, k, l in misses[::step][:args.top]:
        print('  %s:%s %s %s' % (f, l, k, n))


if __name__ == '__main__':
    main()
