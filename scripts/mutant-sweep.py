#!/usr/bin/env python3
"""Draws a sample of small faults from the production sources, and runs them.

    scripts/mutant-sweep.py list SEED PREFIX [AREA=COUNT ...] [EARLIER.tsv ...] > campaign.tsv
    scripts/mutant-sweep.py run campaign.tsv results.txt

`list` goes through every code line of engine/, pe/, io/, frontend/, platform/
(its shared files and posix/) and bytes/, picks one change per line at random
from OPERATORS (a flipped comparison or logic operator, a dropped or flipped
+/- 1, a flipped boolean return, a dropped negation, min for max, ++ for --,
continue for break, a constant one higher), then draws COUNT lines per area (default: every line). Lines named in the
"where" column (file:line) of an earlier campaign's table are left out, so a
new campaign is fresh. Lines with
string literals are skipped, so that no text the program shows is changed.
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
CONSTANT = re.compile(r"(?<![\w.])([1-9][0-9]*)(?![\w.])")


def area(path):
    return "platform/posix" if path.startswith("platform/posix/") else path.split("/")[0]


def earlier_lines(tables):
    lines = set()
    for table in tables:
        with open(table, encoding="utf-8") as rows:
            for row in rows:
                fields = row.split("\t")
                if len(fields) > 1 and ":" in fields[1]:
                    rel, line = fields[1].rsplit(":", 1)
                    lines.add((rel, int(line)))
    return lines


def candidates(rng):
    for pattern in SOURCES:
        for path in sorted(glob.glob(os.path.join(ROOT, pattern))):
            rel = os.path.relpath(path, ROOT)
            with open(path, encoding="utf-8") as source:
                for number, line in enumerate(source, 1):
                    code = line.strip().split("//")[0]
                    if not code or code.startswith(("#", "static_assert")) or '"' in code:
                        continue
                    changes = [(a, b) for a, b in OPERATORS if a in code]
                    constant = CONSTANT.search(code)
                    if constant:
                        changes.append((constant.group(1), str(int(constant.group(1)) + 1)))
                    if changes:
                        yield (rel, number) + rng.choice(changes)


def list_mutants(seed, prefix, quotas, skip):
    rng = random.Random(seed)
    pool = [m for m in candidates(rng) if (m[0], m[1]) not in skip]
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
    if len(argv) >= 3 and argv[0] == "list":
        tables = [a for a in argv[3:] if a.endswith(".tsv")]
        quotas = {k: int(v) for k, v in (q.split("=") for q in argv[3:] if "=" in q)}
        list_mutants(int(argv[1]), argv[2], quotas, earlier_lines(tables))
    elif len(argv) == 3 and argv[0] == "run":
        run(argv[1], argv[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
