#!/usr/bin/env python3
"""Draws a sample of small faults from the production sources, and runs them.

    scripts/mutant-sweep.py list SEED PREFIX [AREA=COUNT ...] [EARLIER.tsv ...] > campaign.tsv
    scripts/mutant-sweep.py every SEED PREFIX [AREA=COUNT ...] [EARLIER.tsv ...] > campaign.tsv
    scripts/mutant-sweep.py run campaign.tsv results.txt

`list` goes through every code line of engine/, pe/, io/, frontend/, platform/
(its shared files and posix/) and bytes/, picks one change per line at random
from OPERATORS (a flipped comparison or logic operator, a dropped or flipped
+/- 1, a flipped boolean return, a dropped negation, min for max, ++ for --,
continue for break, a constant one higher), then draws COUNT lines per area (default: every line). Lines named in the
"where" column (file:line) of an earlier campaign's table are left out, so a
new campaign is fresh. Lines with
string literals are skipped, so that no text the program shows is changed.
`every` takes every change of every line instead, from OPERATORS and MORE
(+ 1 for - 1 and back, < for > and back, a boolean assignment flipped, a
constant one lower), leaves out each mutant (same line, same change) that an
earlier table holds, and draws COUNT of them per area in a random order.
The list is tab-separated: label, file, line, original, replacement. Write it
down before the run: a campaign's score counts only against a fixed list.

`run` plants each mutant through scripts/mutate.sh, one at a time, and appends
its verdict line with the time taken to RESULTS; mutants already in RESULTS are
skipped, so an interrupted run goes on where it stopped. Mutants that survive
still have to be judged by hand: equivalent (no observable change) or a gap.
"""
import glob
import os
import random
import re
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCES = ["engine/*.cpp", "engine/*.h", "pe/*.cpp", "io/*.cpp", "frontend/*.cpp",
           "platform/*.cpp", "platform/*.h", "platform/posix/*.cpp", "bytes/*.h"]
OPERATORS = [(" < ", " <= "), (" <= ", " < "), (" > ", " >= "), (" >= ", " > "),
             (" == ", " != "), (" != ", " == "), (" && ", " || "), (" || ", " && "),
             (" + 1", ""), (" - 1", ""), ("return true;", "return false;"),
             ("return false;", "return true;"), ("(!", "("), (" - ", " + "), (" + ", " - "),
             ("std::min", "std::max"), ("std::max", "std::min"), ("++", "--"),
             ("break;", "continue;")]
MORE = [(" + 1", " - 1"), (" - 1", " + 1"), (" < ", " > "), (" > ", " < "),
        ("= true;", "= false;"), ("= false;", "= true;")]
CONSTANT = re.compile(r"(?<![\w.])([1-9][0-9]*)(?![\w.])")


def area(path):
    return "platform/posix" if path.startswith("platform/posix/") else path.split("/")[0]


def earlier_mutants(tables):
    """(file, line, original, replacement) of every row of the tables: a judged
    table (label, file:line, 'original'->'replacement', verdict) or a list."""
    mutants = set()
    for table in tables:
        with open(table, encoding="utf-8") as rows:
            for row in rows:
                fields = row.rstrip("\n").split("\t")
                if len(fields) >= 5 and fields[2].isdigit():
                    mutants.add((fields[1], int(fields[2]), fields[3], fields[4]))
                    continue
                change = re.match(r"'(.*)'->'(.*)'$", fields[2]) if len(fields) > 2 else None
                if change and ":" in fields[1]:
                    rel, line = fields[1].rsplit(":", 1)
                    mutants.add((rel, int(line), change.group(1), change.group(2)))
    return mutants


def earlier_lines(tables):
    return {(rel, line) for rel, line, _, _ in earlier_mutants(tables)}


def changes_of(code, operators, lower):
    changes = [(a, b) for a, b in operators if a in code]
    constant = CONSTANT.search(code)
    if constant:
        value = int(constant.group(1))
        changes.append((constant.group(1), str(value + 1)))
        if lower:
            changes.append((constant.group(1), str(value - 1)))
    return changes


def code_lines():
    for pattern in SOURCES:
        for path in sorted(glob.glob(os.path.join(ROOT, pattern))):
            rel = os.path.relpath(path, ROOT)
            with open(path, encoding="utf-8") as source:
                for number, line in enumerate(source, 1):
                    code = line.strip().split("//")[0]
                    if not code or code.startswith(("#", "static_assert")) or '"' in code:
                        continue
                    yield rel, number, code


def candidates(rng):
    for rel, number, code in code_lines():
        changes = changes_of(code, OPERATORS, False)
        if changes:
            yield (rel, number) + rng.choice(changes)


def every_candidate():
    for rel, number, code in code_lines():
        for original, replacement in changes_of(code, OPERATORS + MORE, True):
            yield rel, number, original, replacement


def draw(pool, prefix, quotas, rng):
    rng.shuffle(pool)
    taken = {}
    number = 0
    for rel, line, original, replacement in pool:
        a = area(rel)
        if quotas and taken.get(a, 0) >= quotas.get(a, 0):
            continue
        taken[a] = taken.get(a, 0) + 1
        number += 1
        print(f"{prefix}{number:03d}\t{rel}\t{line}\t{original}\t{replacement}")


def list_mutants(seed, prefix, quotas, tables):
    rng = random.Random(seed)
    skip = earlier_lines(tables)
    draw([m for m in candidates(rng) if (m[0], m[1]) not in skip], prefix, quotas, rng)


def list_every(seed, prefix, quotas, tables):
    skip = earlier_mutants(tables)
    draw([m for m in every_candidate() if m not in skip], prefix, quotas, random.Random(seed))


def run(campaign, results):
    done = set()
    if os.path.exists(results):
        with open(results, encoding="utf-8") as seen:
            done = {entry.split()[0] for entry in seen if entry.strip()}
    with open(campaign, encoding="utf-8") as mutants:
        rows = [entry.rstrip("\n").split("\t") for entry in mutants if entry.strip()]
    for label, rel, line, original, replacement in rows:
        if label in done:
            continue
        start = time.monotonic()
        verdict = subprocess.run(
            [os.path.join(ROOT, "scripts/mutate.sh"), rel, line, original, replacement, label],
            stdin=subprocess.DEVNULL, capture_output=True, text=True, check=False)
        last = (verdict.stdout.strip().splitlines() or [f"{label} error"])[-1]
        with open(results, "a", encoding="utf-8") as out:
            out.write(f"{last} [{time.monotonic() - start:.0f}s] {rel}:{line} "
                      f"'{original}'->'{replacement}'\n")


def main(argv):
    if len(argv) >= 3 and argv[0] in ("list", "every"):
        tables = [a for a in argv[3:] if a.endswith(".tsv")]
        quotas = {k: int(v) for k, v in (q.split("=") for q in argv[3:] if "=" in q)}
        lister = list_mutants if argv[0] == "list" else list_every
        lister(int(argv[1]), argv[2], quotas, tables)
    elif len(argv) == 3 and argv[0] == "run":
        run(argv[1], argv[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
