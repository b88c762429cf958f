#!/usr/bin/env python3
"""Measures tvtags side by side with the peer tools on real trees.

Run bench/prepare.sh once first.  Usage:
    bench/compare.py [--tvtags PATH] [--workload kernel|quarter|half|subset|include] [--repeat N]

Every figure is wall time (best of N), the processor time (user + system)
of that run, and peak resident memory, with the ratios to the best peer
measured in the same run.  On a machine shared with other work the wall
time is noisy; the processor time much less so.

The subset workload is the kernel's fs, net, kernel, mm and sound folders
(their .c and .h files, about 133 MB): a tree of ordinary size.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
CACHE = os.environ.get("TV_BENCH_CACHE", os.path.join(HERE, "cache"))
KERNEL = os.path.join(CACHE, "linux-source-6.1")
# The folders of the subset workload.
SUBSET_DIRS = ("fs", "net", "kernel", "mm", "sound")


NAN = float("nan")


def run(cmd, cwd, env=None):
    """Runs cmd; returns (seconds, peak resident memory of the child in MB,
    user + system seconds of the child)."""
    t0 = time.monotonic()
    p = subprocess.Popen(cmd, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    _, status, ru = os.wait4(p.pid, 0)
    dt = time.monotonic() - t0
    if not os.WIFEXITED(status) or os.WEXITSTATUS(status) != 0:
        # A failed run is no figure: it would look like the fastest.
        print("  (failed, status %d: %s)" % (status, " ".join(cmd)), file=sys.stderr)
        return NAN, NAN, NAN
    return dt, ru.ru_maxrss / 1024.0, ru.ru_utime + ru.ru_stime


def best(cmd, cwd, repeat, prepare=None, env=None):
    results = []
    for _ in range(repeat):
        if prepare:
            prepare()
        results.append(run(cmd, cwd, env))
    if any(r[0] != r[0] for r in results):
        return NAN, NAN, NAN
    return min(r[0] for r in results), max(r[1] for r in results), min(r[2] for r in results)


def report(title, ours, peers):
    print("\n== %s" % title)
    print("  %-34s %8s   %8s   %8s" % ("", "wall", "cpu", "memory"))
    for name, (t, m, c) in peers.items():
        print("  %-34s %8.2f s %8.2f s %8.0f MB" % (name, t, c, m))
    if ours:
        name, (t, m, c) = ours
        print("  %-34s %8.2f s %8.2f s %8.0f MB" % (name, t, c, m))
        good = [p for p in peers.values() if p[0] == p[0]]
        if good:
            bt = min(p[0] for p in good)
            bc = min(p[2] for p in good)
            bm = min(p[1] for p in good)
            print("  ratio to the best peer: time %.3f, cpu %.3f, memory %.3f" % (t / bt, c / bc, m / bm))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--tvtags", default=os.path.join(HERE, "..", "build", "release", "tvtags", "tvtags"))
    ap.add_argument("--workload", default="kernel", choices=["kernel", "quarter", "half", "subset", "include"])
    ap.add_argument("--repeat", type=int, default=1)
    ap.add_argument("--no-peers", action="store_true")
    a = ap.parse_args()
    tv = os.path.abspath(a.tvtags)

    if a.workload == "include":
        root = "/usr/include"
        lst = os.path.join(CACHE, "include.list")
        with open(lst, "w") as f:
            for d, _, files in os.walk(root):
                for n in sorted(files):
                    if n.endswith((".h", ".c", ".hpp")) or "." not in n:
                        f.write(os.path.relpath(os.path.join(d, n), root) + "\n")
    else:
        root = KERNEL
        lst = os.path.join(CACHE, {"kernel": "kernel-c.list", "quarter": "kernel-c.quarter.list",
                                   "half": "kernel-c.half.list", "subset": "kernel-c.subset.list"}[a.workload])
        if a.workload == "subset" and not os.path.exists(lst):
            with open(os.path.join(CACHE, "kernel-c.list")) as whole, open(lst, "w") as f:
                f.writelines(n for n in whole if n.split("/", 1)[0] in SUBSET_DIRS)
    out = tempfile.mkdtemp(prefix="tvbench-")
    n = sum(1 for _ in open(lst))
    print("workload %s: %d files under %s" % (a.workload, n, root))

    def rm(*names):
        def f():
            for x in names:
                p = os.path.join(out, x)
                if os.path.isdir(p):
                    shutil.rmtree(p)
                    os.makedirs(p)   # gtags wants its database folder to exist
                elif os.path.exists(p):
                    os.remove(p)
        return f

    peers_full, peers_text = {}, {}
    if not a.no_peers:
        peers_text["ctags-universal (sorted)"] = best(
            ["ctags-universal", "-L", lst, "-f", os.path.join(out, "u.tags")], root, a.repeat)
        peers_text["ctags-universal --sort=no"] = best(
            ["ctags-universal", "--sort=no", "-L", lst, "-f", os.path.join(out, "u.tags")], root, a.repeat)
        peers_text["ctags-exuberant"] = best(
            ["ctags-exuberant", "-L", lst, "-f", os.path.join(out, "e.tags")], root, a.repeat)
        gdir = os.path.join(out, "gtags")
        os.makedirs(gdir, exist_ok=True)
        peers_full["gtags"] = best(["gtags", "-f", lst, gdir], root, a.repeat, rm("gtags"))
        peers_full.update(peers_text)

    db = os.path.join(out, "tv.tags")
    # The same scan on the main thread alone, for the gain of the others.
    single = best([tv, "-q", "-o", db, "-I", lst], root, a.repeat, rm("tv.tags"),
                  dict(os.environ, TVTAGS_THREADS="0"))
    print("\n  tvtags on one thread (TVTAGS_THREADS=0): %.2f s, cpu %.2f s, %.0f MB"
          % (single[0], single[2], single[1]))
    ours = best([tv, "-q", "-o", db, "-I", lst], root, a.repeat, rm("tv.tags"))
    report("full scan into a new database", ("tvtags (binary)", ours), peers_full)

    ours_text = best([tv, "-q", "-ctags", "-text", "-o", os.path.join(out, "tv.ctags"), "-I", lst], root, a.repeat)
    report("ctags text file", ("tvtags -ctags -text", ours_text), peers_text)

    peers_inc = {}
    env = dict(os.environ, GTAGSROOT=root, GTAGSDBPATH=os.path.join(out, "gtags"))
    if not a.no_peers:
        # GNU Global updates its database in place.
        subprocess.run(["gtags", "-f", lst, env["GTAGSDBPATH"]], cwd=root,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        peers_inc = {"global -u (nothing changed)": run(["global", "-u"], root, env)}
    second = best([tv, "-q", "-o", db, "-I", lst], root, a.repeat)
    report("second run, nothing changed", ("tvtags", second), peers_inc)

    first = os.path.join(root, open(lst).readline().strip())
    os.utime(first, None)
    touched = run([tv, "-q", "-o", db, "-I", lst], root)
    peers_touch = {}
    if not a.no_peers:
        os.utime(first, None)
        peers_touch = {"global -u (one touched file)": run(["global", "-u"], root, env)}
    report("after touching one file", ("tvtags", touched), peers_touch)

    os.utime(first, None)
    one = run([tv, "-q", "-noprune", "-o", db, first], root)
    peers_one = {}
    if not a.no_peers:
        os.utime(first, None)
        peers_one = {"global --single-update": run(["global", "--single-update", first], root, env)}
    report("one file named on the command line (-noprune)", ("tvtags", one), peers_one)
    shutil.rmtree(out, ignore_errors=True)


if __name__ == "__main__":
    main()
