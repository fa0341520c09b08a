#!/usr/bin/env python3
"""Vorn's strength levels measured against Debian's stockfish at the same
UCI_Elo, inside xboard (scripts/match.sh), at the time control stockfish's
scale was calibrated at (60 s + 0.6 s a move, as its README says), with the
balanced openings of scripts/openings.epd and both colours.

Each level plays in its own folder, OUT/elo-N (and full strength against
stockfish at each figure of --full in OUT/full-vs-N), one game-NNN.json and PGN per game
as scripts/match.py keeps them. Running the script again continues every
level from the first game it has not played, up to --games; --table prints
the table of what has been played and plays nothing. A level is calibrated
when the 95% interval of its Elo difference holds 0; full strength's place
on the scale is stockfish's figure plus the difference it scored.

  scripts/calibrate.py [--levels 1400,1600,1800,2000] [--full 2100[,2000..]] [--games 30]
                       [--parallel 2] [--out build/calibrate] [--vorn build/vorn]
                       [--tc 1] [--inc 0.6] [--table]
"""

import argparse
import glob
import json
import math
import os
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import match  # noqa: E402  (the games' files are read as match.py writes them)


def played(folder):
    """The game numbers whose files the match has written."""
    numbers = []
    for path in glob.glob(os.path.join(folder, "game-*.json")):
        try:
            numbers.append(int(os.path.basename(path)[5:8]))
        except ValueError:
            pass
    return sorted(numbers)


def results(folder):
    """Wins, draws and losses from Vorn's view, and games left unfinished."""
    w = d = l = unfinished = 0
    metas = []
    for path in glob.glob(os.path.join(folder, "game-*.json")):
        with open(path) as f:
            metas.append(json.load(f))
    pgns = {}
    for meta in metas:
        batch = meta["batch"]
        if batch not in pgns:
            pgns[batch] = match.read_pgn(os.path.join(folder, batch + ".pgn"))
        games = pgns[batch]
        tags = games[meta["index"]][0] if meta["index"] < len(games) else {}
        s = match.vorn_score(tags.get("Result", "*"), meta["vorn"])
        if s is None:
            unfinished += 1
        else:
            w, d, l = w + (s == 1.0), d + (s == 0.5), l + (s == 0.0)
    return w, d, l, unfinished


def interval(w, d, l):
    """Score, Elo difference and the 95% interval's ends (None: unbounded),
    as scripts/match.py computes them."""
    n = w + d + l
    if n == 0:
        return None, None, None, None
    s = (w + 0.5 * d) / n
    if s in (0.0, 1.0):
        # Every game won or every one lost: the difference has no bound.
        return s, (math.inf if s == 1 else -math.inf), (0.0 if s == 1 else None), (0.0 if s == 0 else None)
    var = (w * (1 - s) ** 2 + d * (0.5 - s) ** 2 + l * s ** 2) / n
    se = math.sqrt(var / n)
    lo, hi = s - 1.96 * se, s + 1.96 * se
    return s, match.elo(s), (match.elo(lo) if lo > 0 else None), (match.elo(hi) if hi < 1 else None)


def fmt_elo(x):
    if x is None:
        return "inf"
    return f"{x:+.0f}"


def row(name, figure, folder, full, target):
    w, d, l, unfinished = results(folder)
    n = w + d + l
    s, e, lo, hi = interval(w, d, l)
    if s is None:
        return f"| {name} | {figure} | 0 | | | |"
    score = f"{w + 0.5 * d:g}/{n} ({100 * s:.0f}%)"
    if lo is not None and hi is not None:
        # The ends too: the interval is lopsided in Elo, and they decide.
        diff = f"{e + 0.0:+.0f} +/- {(hi - lo) / 2:.0f} ({lo:+.0f} to {hi:+.0f})"
    else:
        diff = "+inf" if s == 1 else "-inf" if s == 0 else \
            f"{fmt_elo(e)} [{'-inf' if lo is None else fmt_elo(lo)}, {'+inf' if hi is None else fmt_elo(hi)}]"
    if full:
        verdict = (f"Vorn about {figure + e:.0f}" if math.isfinite(e)
                   else f"Vorn above {figure}" if e > 0 else f"Vorn below {figure}")
    else:
        holds = (lo is None or lo <= 0) and (hi is None or hi >= 0) and s not in (0.0, 1.0)
        verdict = "calibrated" if holds else ("stronger than its figure" if e > 0 else "weaker than its figure")
    if n < target:
        verdict = ("interval holds 0" if verdict == "calibrated" else verdict) + f" so far ({n} of {target} games)"
    extra = f", {unfinished} unfinished" if unfinished else ""
    return f"| {name} | {figure} | {n}{extra} | {score} | {diff} | {verdict} |"


def table(args, plan):
    lines = [f"Vorn against stockfish at the same UCI_Elo, {args.tc} min + {args.inc:g} s a move ({args.out}):",
             "",
             "| Vorn | stockfish UCI_Elo | games | Vorn's score | Elo difference (95%) | |",
             "| --- | --- | --- | --- | --- | --- |"]
    for name, figure, folder, full in plan:
        lines.append(row(name, figure, folder, full, args.games))
    return "\n".join(lines)


def play(args, name, figure, folder, full):
    os.makedirs(folder, exist_ok=True)
    done = played(folder)
    first = (done[-1] + 1) if done else 1
    if first > args.games:
        return f"{name}: {len(done)} games already played"
    cmd = [os.path.join(HERE, "match.sh"), "--opponent", "stockfish", "--elo", str(figure),
           "--games", str(args.games), "--first", str(first), "--tc", args.tc, "--inc", f"{args.inc:g}",
           "--vorn", args.vorn, "--out", folder]
    if not full:
        cmd += ["--vorn-elo", str(figure)]
    print(f"{name}: games {first} to {args.games} in {folder}", flush=True)
    with open(os.path.join(folder, "calibrate.log"), "a") as log:
        r = subprocess.run(cmd, stdout=log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
    return f"{name}: match ended with status {r.returncode}; " + row(name, figure, folder, full, args.games)


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--levels", default="1400,1600,1800,2000", help="Vorn's levels, each against stockfish at it")
    p.add_argument("--full", default="2100",
                   help="stockfish's UCI_Elo against full strength, or several figures: 2000,2200 (0: none)")
    p.add_argument("--games", type=int, default=30, help="games a level, both colours")
    p.add_argument("--parallel", type=int, default=2, help="levels played side by side")
    p.add_argument("--out", default=os.path.join("build", "calibrate"))
    p.add_argument("--vorn", default=os.path.join("build", "vorn"))
    p.add_argument("--tc", default="1", help="xboard -tc: minutes[:seconds] a game")
    p.add_argument("--inc", type=float, default=0.6, help="seconds added a move")
    p.add_argument("--table", action="store_true", help="print the table of the games played and play none")
    args = p.parse_args()
    args.out = os.path.abspath(args.out)
    args.vorn = os.path.abspath(args.vorn)

    plan = [(f"level {n}", n, os.path.join(args.out, f"elo-{n}"), False)
            for n in (int(x) for x in args.levels.split(",") if x.strip())]
    for n in (int(x) for x in args.full.split(",") if x.strip() and int(x) > 0):
        plan.append(("full strength", n, os.path.join(args.out, f"full-vs-{n}"), True))

    if not args.table:
        if not os.access(args.vorn, os.X_OK):
            sys.exit(f"no engine at {args.vorn}")
        with ThreadPoolExecutor(max_workers=max(1, args.parallel)) as pool:
            for line in pool.map(lambda item: play(args, *item), plan):
                print(line, flush=True)
    text = table(args, plan)
    os.makedirs(args.out, exist_ok=True)
    with open(os.path.join(args.out, "table.md"), "w") as f:
        f.write(text + "\n")
    print(text)


if __name__ == "__main__":
    main()
