#!/usr/bin/env python3
"""Checks what tvtags records for compiled Java against javap.

For every class in the given JARs (guava, commons-lang3 and maven-core of
/usr/share/java by default) the classes, fields and methods of the tags
database (read back with -list) are compared with what `javap -p -s`
lists: names, kinds, and for methods the argument and result text, which
the script makes from javap's descriptors with its own reading of the
descriptor words.  Prints the counts and every difference (the first 30 of
each JAR); exits 1 when there is any.

usage: classfile_javap.py [--tvtags PATH] [--work DIR] [JAR ...]
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile
import zipfile

DEFAULT_JARS = ["/usr/share/java/guava.jar", "/usr/share/java/commons-lang3.jar",
                "/usr/share/java/maven-core-3.x.jar"]
WORDS = {"B": "byte", "C": "char", "D": "double", "F": "float", "I": "int", "J": "long",
         "S": "short", "V": "void", "Z": "boolean", "[": "array"}


def words(desc, i):
    """The words of the descriptor item at i, and the position after it."""
    out = []
    while desc[i] == "[":
        out.append("array")
        i += 1
    if desc[i] == "L":
        end = desc.index(";", i)
        out.append(desc[i + 1:end].split("/")[-1])
        return out, end + 1
    out.append(WORDS[desc[i]])
    return out, i + 1


def method_text(desc):
    assert desc[0] == "("
    i, params = 1, []
    while desc[i] != ")":
        w, i = words(desc, i)
        params += w
    result, _ = words(desc, i + 1)
    return "(" + ", ".join(params) + ")", ", ".join(result)


def tv_records(tvtags, jar, work):
    db = os.path.join(work, os.path.basename(jar) + ".tags")
    if os.path.exists(db):
        os.remove(db)
    env = dict(os.environ, TVCONFIG=work, TV_TAG_TIMEOUT="0")
    run = subprocess.run([tvtags, "-q", "-o", db, jar], env=env, capture_output=True, text=True)
    if run.returncode != 0 or run.stderr:
        print(f"tvtags on {jar}: status {run.returncode}: {run.stderr.strip()}")
    listing = subprocess.run([tvtags, "-list", db], env=env, capture_output=True, text=True,
                             errors="replace").stdout
    recs = {}
    last = None
    head = re.compile(r"^([0-9a-f]+): (\S+)\s+file#[0-9a-f]+\((\d+)\) (\S+) type=[0-9a-f]+"
                      r"(?: flags=([0-9a-f]+))? parent=([0-9a-f]+)")
    for line in listing.splitlines():
        m = head.match(line)
        if m:
            parent = int(m.group(6), 16)
            last = {"name": m.group(2), "kind": m.group(4), "parent": -1 if parent == 0xFFFFFFFF else parent,
                    "type": None, "args": None}
            recs[int(m.group(1), 16)] = last
            continue
        m = re.match(r"^type='(.*)' args='(.*)'$", line)
        if m and last is not None:
            last["type"], last["args"] = m.group(1), m.group(2)
    # Classes by their full name, each with its members.
    classes = {}
    for tid, r in recs.items():
        if r["kind"] in ("CLASS", "INTERFACE"):
            pkg = recs.get(r["parent"])
            full = (pkg["name"] + "." if pkg else "") + r["name"]
            classes[tid] = (full, r["kind"], [])
    for tid, r in recs.items():
        if r["kind"] in ("MEMBER", "FUNCTION") and r["parent"] in classes:
            classes[r["parent"]][2].append((r["kind"], r["name"], r["args"] or "", r["type"] or ""))
    out = {}
    for full, kind, members in classes.values():
        out.setdefault(full, []).append((kind, sorted(members)))
    return out


def javap_classes(jar):
    """The classes javap lists, and how many entries hold each: a
    multi-release JAR holds a class again under META-INF/versions/N/, and
    tvtags tags every copy."""
    copies = {}
    with zipfile.ZipFile(jar) as z:
        for n in z.namelist():
            if not n.endswith(".class"):
                continue
            m = re.match(r"META-INF/versions/\d+/(.*)", n)
            base = (m.group(1) if m else n)[:-6].replace("/", ".")
            copies[base] = copies.get(base, 0) + 1
    return sorted(copies), copies


def javap_records(jar, classes):
    expected = {}
    for start in range(0, len(classes), 400):
        batch = classes[start:start + 400]
        text = subprocess.run(["javap", "-p", "-s", "-cp", jar] + batch, capture_output=True,
                              text=True).stdout
        cur = None
        pending = None
        for line in text.splitlines():
            if not line.startswith(" ") and line.endswith("{"):
                m = re.search(r"\b(class|interface|module)\s+(\S+?)(<.*)?\s*(extends|implements|\{)", line)
                if not m:
                    cur = None
                    continue
                name = m.group(2)
                if m.group(1) == "module":
                    name, kind = "module-info", "CLASS"
                else:
                    kind = "INTERFACE" if m.group(1) == "interface" else "CLASS"
                cur = (name, kind, [])
                expected.setdefault(name, []).append((kind, cur[2]))
                continue
            if cur is None:
                continue
            s = line.strip()
            if s.startswith("descriptor:") and pending is not None:
                desc = s.split(":", 1)[1].strip()
                decl = pending
                pending = None
                if desc.startswith("("):
                    if decl.startswith("static {}"):
                        name = "<clinit>"
                    else:
                        name = decl.split("(", 1)[0].split()[-1]
                        if name == cur[0]:   # a constructor: the class's simple name
                            name = cur[0].split(".")[-1]
                    args, result = method_text(desc)
                    cur[2].append(("FUNCTION", name, args, result))
                else:
                    cur[2].append(("MEMBER", decl.rstrip(";").split()[-1], "", ""))
            elif s.endswith(";") and line.startswith("  ") and not line.startswith("    "):
                pending = s
    return {k: [(kind, sorted(m)) for kind, m in v] for k, v in expected.items()}


def compare(jar, tvtags, work):
    got = tv_records(tvtags, jar, work)
    classes, copies = javap_classes(jar)
    want = javap_records(jar, classes)
    diffs = []
    members = 0
    for name in sorted(set(got) | set(want)):
        g, w = got.get(name), want.get(name)
        if g is None or w is None:
            diffs.append(f"{name}: {'missing from tvtags' if g is None else 'not listed by javap'}")
            continue
        if len(w) != 1 or len(g) != copies.get(name, 1):
            diffs.append(f"{name}: {len(g)} tagged, {len(w)} listed")
            continue
        # Of the copies of a multi-release class, the base one is listed.
        (wk, wm) = w[0]
        (gk, gm) = next((x for x in g if x == (wk, wm)), g[0])
        members += len(wm)
        if gk != wk:
            diffs.append(f"{name}: kind {gk}, javap {wk}")
        if gm != wm:
            extra = [m for m in gm if m not in wm]
            lost = [m for m in wm if m not in gm]
            diffs.append(f"{name}: tvtags only {extra[:3]}, javap only {lost[:3]}")
    print(f"{jar}: {len(want)} classes, {members} fields and methods compared, {len(diffs)} differences")
    for d in diffs[:30]:
        print("   ", d)
    return len(diffs)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser()
    ap.add_argument("--tvtags", default=os.path.join(here, "..", "build", "release", "tvtags", "tvtags"))
    ap.add_argument("--work")
    ap.add_argument("jars", nargs="*", default=DEFAULT_JARS)
    a = ap.parse_args()
    work = a.work or tempfile.mkdtemp(prefix="classfile_javap.")
    os.makedirs(work, exist_ok=True)
    total = sum(compare(j, os.path.abspath(a.tvtags), work) for j in a.jars)
    sys.exit(1 if total else 0)


if __name__ == "__main__":
    main()
