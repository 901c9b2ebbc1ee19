#!/usr/bin/env python3
"""Compares two crosscheck outputs (reference first) case by case.

Prints, per family (the case name up to its first number), how many cases differ and how many
pixels; with --show N it draws the first N differing cases of each family as text
(R: only in the reference, W: only in the other, X: both but different letters).
"""
import re
import sys
from collections import defaultdict


def load(path):
    cases = {}
    order = []
    with open(path) as f:
        for line in f:
            parts = line.rstrip("\n").split(" ")
            # The name runs until the first token that looks like x,yC.
            i = 0
            while i < len(parts) and not re.fullmatch(r"-?\d+,-?\d+[PB?]", parts[i]):
                i += 1
            name = " ".join(parts[:i])
            px = {}
            for tok in parts[i:]:
                x, rest = tok.split(",")
                px[(int(x), int(rest[:-1]))] = rest[-1]
            cases[name] = px
            order.append(name)
    return cases, order


def family(name):
    kind = name.split(" ")[0]
    style = name.split("/")[-1] if "/" in name else name.split(" ")[1]
    sub = ""
    if "circle" in name:
        sub = " circle"
    elif " off " in name:
        sub = " off"
    elif " narrow " in name:
        sub = " narrow"
    elif " long " in name:
        sub = " long"
    return kind + sub + " " + style


def draw(ref, other):
    keys = set(ref) | set(other)
    if not keys:
        return ""
    x0 = min(k[0] for k in keys) - 1
    x1 = max(k[0] for k in keys) + 1
    y0 = min(k[1] for k in keys) - 1
    y1 = max(k[1] for k in keys) + 1
    rows = []
    for y in range(y0, y1 + 1):
        s = ""
        for x in range(x0, x1 + 1):
            a, b = ref.get((x, y)), other.get((x, y))
            if a == b:
                s += "." if a is None else a.lower()
            elif b is None:
                s += "R"
            elif a is None:
                s += "W"
            else:
                s += "X"
        rows.append("  %3d %s" % (y, s))
    return "  columns from %d\n" % x0 + "\n".join(rows)


def main():
    args = sys.argv[1:]
    show = 0
    only = None
    if "--show" in args:
        i = args.index("--show")
        show = int(args[i + 1])
        del args[i : i + 2]
    if "--only" in args:
        i = args.index("--only")
        only = args[i + 1]
        del args[i : i + 2]
    ref, order = load(args[0])
    other, _ = load(args[1])
    fams = defaultdict(lambda: [0, 0, 0, []])
    for name in order:
        if only and not re.search(only, name):
            continue
        f = family(name)
        a, b = ref[name], other.get(name, {})
        diff = sum(1 for k in set(a) | set(b) if a.get(k) != b.get(k))
        fams[f][0] += 1
        if diff:
            fams[f][1] += 1
            fams[f][2] += diff
            fams[f][3].append((name, diff))
    for f, (n, nd, npx, lst) in fams.items():
        print("%-28s %5d cases %5d differ %6d pixels" % (f, n, nd, npx))
        for name, diff in lst[:show]:
            print(" %s: %d pixels" % (name, diff))
            print(draw(ref[name], other.get(name, {})))


if __name__ == "__main__":
    main()
