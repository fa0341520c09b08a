#!/usr/bin/env python3
"""How Vorn spends the time it is given: for each case, the time from the
command that starts a search to the engine's answer, against the time asked.

  scripts/timeuse.py [path/to/vorn ...]     (default build/vorn)
  TIMEUSE_RUNS=3  runs of each case (the figure printed is the median)

UCI "go movetime N" should answer within [0.9 N, N + 30 ms]; xboard "st N"
within [0.9, 1.0] x 900 N ms; a clock of wtime/btime gives the budget the
engine's rules make of it (a thirtieth of the time left, less near the end),
and never more than the clock holds. A benchmark, not a test: the figures
depend on the machine and its load.
"""
import os
import subprocess
import sys
import time

START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
MIDDLEGAME = "r1bqk2r/pp2bppp/2p5/3pP3/P2Q1P2/2N1B3/1PP3PP/R4RK1 b kq - 0 0"

UCI_CASES = [
    # (label, go arguments, expected low ms, expected high ms)
    ("go movetime 50", "movetime 50", 45, 80),
    ("go movetime 300", "movetime 300", 270, 330),
    ("go movetime 1000", "movetime 1000", 900, 1030),
    ("go movetime 3000", "movetime 3000", 2700, 3030),
    ("go wtime 2000 btime 2000", "wtime 2000 btime 2000", None, 2000),
    ("go wtime 20000 btime 20000", "wtime 20000 btime 20000", None, 20000),
    ("go wtime 300 btime 300", "wtime 300 btime 300", None, 300),
    ("go wtime 100 btime 100 winc 2000 binc 2000", "wtime 100 btime 100 winc 2000 binc 2000", None, 100),
    ("go wtime 9050 btime 9050 movestogo 1", "wtime 9050 btime 9050 movestogo 1", None, 9050),
]
XBOARD_CASES = [("st 1", 1), ("st 2", 2)]


class Engine:
    def __init__(self, path):
        self.p = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)

    def send(self, line):
        self.p.stdin.write(line + "\n")
        self.p.stdin.flush()

    def until(self, test):
        while True:
            line = self.p.stdout.readline()
            if not line:
                raise RuntimeError("engine ended")
            if test(line):
                return line

    def close(self):
        try:
            self.send("quit")
            self.p.wait(timeout=5)
        except Exception:
            self.p.kill()


def uci_case(path, fen, go):
    e = Engine(path)
    e.send("uci")
    e.until(lambda l: l.startswith("uciok"))
    e.send("ucinewgame")
    e.send("position fen " + fen)
    e.send("isready")
    e.until(lambda l: l.startswith("readyok"))
    t0 = time.monotonic()
    e.send("go " + go)
    e.until(lambda l: l.startswith("bestmove"))
    ms = (time.monotonic() - t0) * 1000
    e.close()
    return ms


def xboard_case(path, fen, seconds):
    e = Engine(path)
    e.send("xboard")
    e.send("new")
    e.send("force")
    e.send("setboard " + fen)
    e.send("st %d" % seconds)
    time.sleep(0.2)
    t0 = time.monotonic()
    e.send("go")
    e.until(lambda l: "..." in l or l.startswith("move "))
    ms = (time.monotonic() - t0) * 1000
    e.close()
    return ms


def median(values):
    values = sorted(values)
    return values[len(values) // 2]


def main():
    engines = sys.argv[1:] or ["build/vorn"]
    runs = int(os.environ.get("TIMEUSE_RUNS", "3"))
    header = "%-44s %14s" % ("case", "asked")
    for path in engines:
        header += " %22s" % os.path.basename(os.path.dirname(path) or path)[-22:]
    print(header)
    for fen_name, fen in (("start", START), ("middlegame", MIDDLEGAME)):
        print("-- %s position" % fen_name)
        for label, go, low, high in UCI_CASES:
            asked = ("%d..%d ms" % (low, high)) if low is not None else ("<= %d ms" % high)
            row = "%-44s %14s" % (label, asked)
            for path in engines:
                ms = median([uci_case(path, fen, go) for _ in range(runs)])
                ok = (low is None or ms >= low) and ms <= high
                row += " %18.0f ms%s" % (ms, " " if ok else "!")
            print(row, flush=True)
        for label, seconds in XBOARD_CASES:
            row = "%-44s %14s" % ("xboard " + label, "%d..%d ms" % (810 * seconds, 900 * seconds))
            for path in engines:
                ms = median([xboard_case(path, fen, seconds) for _ in range(runs)])
                ok = 810 * seconds <= ms <= 1000 * seconds
                row += " %18.0f ms%s" % (ms, " " if ok else "!")
            print(row, flush=True)
    print("('!' marks a figure outside the expected range)")


if __name__ == "__main__":
    main()
