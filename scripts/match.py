#!/usr/bin/env python3
"""Vorn against an engine from Debian's packages, inside xboard under Xvfb.

Game 2k-1 and game 2k start from position k of the openings file, Vorn with
White in the odd game and Black in the even one, and run in one xboard
(-mg 2), which keeps both engines for the second game as a GUI does: a move
Vorn sends after the first game ended reaches xboard's log. Each pair has its
own PGN and debug log, and a pair that hangs is ended by killing its process
group without disturbing the next.

With --variant fischerandom the games are Chess960: xboard plays its variant
fischerandom, and game pair k starts from the k-th of the 960 start positions
in an order shuffled by --seed (scripts/chess960.py numbers them); every engine
plays it through its own protocol (UCI engines through PolyGlot, which sets
UCI_Chess960). The summary counts the games in which Vorn castled.

Games are numbered, so a match can be continued in the same folder
(--first 11 --games 40 plays games 11 to 40) and the summary always covers
every game found there. Everything goes to the output folder:

  games-NNN-MMM.pgn   the games as xboard saved them (with {score/depth time})
  games-NNN-MMM.log   xboard's debug log: every line to and from both engines
  games-NNN-MMM.out   xboard's own standard output and error
  games-NNN-MMM.polyglot.log   the UCI conversation (Vorn through PolyGlot)
  game-NNN.json       what this script knows about a game (colour, opening,
                      wall time, whether xboard was killed, Vorn's process)
  tmp/                the position files, Xvfb's errors, xboard's home
  summary.txt         what was printed at the end
(a single game, the last of an odd count or the first of a continued match,
is named game-NNN.*)
"""

import argparse
import glob
import json
import math
import os
import re
import shlex
import shutil
import signal
import subprocess
import sys
import random
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import chess960  # noqa: E402  (beside this script)

OPPONENTS = {
    # Books and learning off: the openings come from our file, and every game
    # should start from the same engine.
    "fairymax": "/usr/games/fairymax",
    "phalanx": "/usr/games/phalanx -l- -b-",
    # Through PolyGlot; its strength is set with --skill (0..20), or with
    # --elo (UCI_LimitStrength and UCI_Elo, which override the skill).
    "stockfish": None,
    # Through PolyGlot (a UCI engine that plays Chess960 as well).
    "glaurung": None,
    # Vorn itself: the binary of --opponent-vorn (by default the one that
    # plays), at --opponent-threads threads.
    "vorn": None,
}


# ---------------------------------------------------------------- openings

def read_openings(path):
    """Positions of an EPD file as (fen, name); '#' lines are comments."""
    openings = []
    with open(path) as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            fields = line.split(None, 4)
            if len(fields) < 4:
                sys.exit(f"{path}: not an EPD line: {line}")
            ops = fields[4] if len(fields) > 4 else ""
            half = re.search(r"\bhmvc\s+(\d+)", ops)
            full = re.search(r"\bfmvn\s+(\d+)", ops)
            name = re.search(r'\bid\s+"([^"]*)"', ops)
            fen = " ".join(fields[:4] + [half.group(1) if half else "0",
                                         full.group(1) if full else "1"])
            openings.append((fen, name.group(1) if name else fen))
    if not openings:
        sys.exit(f"{path}: no positions")
    return openings


def chess960_openings(seed):
    """The 960 start positions as (fen, name), in an order shuffled by the
    seed: a match of N games plays the first N/2 of them."""
    numbers = list(range(960))
    random.Random(seed).shuffle(numbers)
    return [(chess960.fen(n), f"Chess960 #{n}") for n in numbers]


# ---------------------------------------------------------------- running

def seconds_of(clock):
    """'0:20' or '1:00' or '5' (minutes) as xboard reads -tc, in seconds."""
    if ":" in clock:
        m, s = clock.split(":", 1)
        return int(m or 0) * 60 + float(s or 0)
    return float(clock) * 60


def game_timeout(args):
    """Wall-clock limit of one game: both clocks spent over a long game
    (250 moves a side), plus start-up and slack. Only a game whose xboard
    hangs gets near it; an engine that stops moving loses on time first."""
    moves = 250
    if args.inc is not None:
        per_side = seconds_of(args.tc) + moves * args.inc
    else:
        per_side = seconds_of(args.tc) * math.ceil(moves / args.mps)
    return 2 * per_side + 120


def vorn_command(args, stem):
    vorn = os.path.abspath(args.vorn)
    if args.protocol == "xboard":
        return (f"{vorn} xboard" + (f" -threads {args.threads}" if args.threads > 1 else "")
                + (f" -elo {args.vorn_elo}" if args.vorn_elo else ""))
    log = stem + ".polyglot.log"
    threads = f" -uci \"Threads={args.threads}\"" if args.threads > 1 else ""
    if args.vorn_elo:
        threads += f" -uci \"UCI_LimitStrength=true\" -uci \"UCI_Elo={args.vorn_elo}\""
    return f"{args.polyglot} -noini -ec {vorn} -ed {os.path.dirname(vorn)} -log true -lf {log}{threads}"


def opponent_command(args, tmp):
    if args.opponent == "stockfish":
        strength = (f"-uci \"UCI_LimitStrength=true\" -uci \"UCI_Elo={args.elo}\"" if args.elo
                    else f"-uci \"Skill Level={args.skill}\"")
        return f"{args.polyglot} -noini -ec {args.stockfish} {strength}"
    if args.opponent == "glaurung":
        return f"{args.polyglot} -noini -ec {args.glaurung}"
    if args.opponent == "vorn":
        # A copy under another name, so that the opponent's processes are
        # never taken for the Vorn under test (its crashes, a process left
        # running).
        copy = os.path.join(tmp, "vorn-opponent")
        shutil.copy2(os.path.abspath(args.opponent_vorn or args.vorn), copy)
        return f"{copy} xboard" + (f" -threads {args.opponent_threads}" if args.opponent_threads > 1 else "")
    return OPPONENTS[args.opponent]


def group_processes(pgid):
    """Processes of a process group: {pid: (state, argv, exe)}."""
    found = {}
    for stat in glob.glob("/proc/[0-9]*/stat"):
        try:
            with open(stat) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            if int(fields[2]) != pgid:
                continue
            pid = int(stat.split("/")[2])
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                argv = [a.decode(errors="replace") for a in f.read().split(b"\0") if a]
            try:
                exe = os.path.realpath(f"/proc/{pid}/exe")
            except OSError:
                exe = ""
            found[pid] = (fields[0], argv, exe)
        except (OSError, IndexError, ValueError):
            pass
    return found


def is_vorn(argv, exe, vorn):
    # The binary itself, or a script given to an interpreter.
    return exe == os.path.realpath(vorn) or vorn in argv[:2]


def kill_group(pgid):
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(pgid, sig)
        except ProcessLookupError:
            return
        for _ in range(50):
            if not group_processes(pgid):
                return
            time.sleep(0.1)


def batch_name(first, last):
    return f"games-{first:03d}-{last:03d}" if last > first else f"game-{first:03d}"


def play_batch(args, first, last, openings):
    """Games first..last (two at most, the same opening with the colours
    reversed) in one xboard, which keeps Vorn between them as a GUI does:
    a move Vorn sends after a game ended then reaches xboard's log."""
    fen, name = openings[((first - 1) // 2) % len(openings)]
    vorn_white = first % 2 == 1
    games = last - first + 1
    vorn = os.path.abspath(args.vorn)
    tmp = os.path.join(args.out, "tmp")
    home = os.path.join(tmp, "home")
    os.makedirs(home, exist_ok=True)
    stem = os.path.join(args.out, batch_name(first, last))
    pos = os.path.join(tmp, os.path.basename(stem) + ".fen")
    with open(pos, "w") as f:
        f.write(fen + "\n")
    for ext in (".pgn", ".log", ".out"):
        if os.path.exists(stem + ext):
            os.remove(stem + ext)

    xboard = [
        args.xboard,
        "-fcp", vorn_command(args, stem), "-fd", os.path.dirname(vorn),
        "-fn", "Vorn",
        "-scp", opponent_command(args, tmp), "-sd", tmp,
        "-mg", str(games), "-lpf", pos, "-lpi", "1",
        "-tc", args.tc,
        "-sgf", stem + ".pgn",
        "-debug", "-nameOfDebugFile", stem + ".log", "-engineDebugOutput", "1",
        # {score/depth time} after every engine move; the engines must post.
        "-pgnExtendedInfo", "true", "-showThinking", "true",
        "-autoCallFlag", "true", "-testClaims", "true",
        "-ponderNextMove", "false",
        "-popupExitMessage", "false", "-popupMoveErrors", "false",
        "-saveSettingsOnExit", "false", "-soundProgram", "",
        "-matchPause", "1000",
        # Keep reading the engines for a moment after the last result, and
        # send no kill signal after "quit": an engine that ignores "quit" is
        # then still there to be found.
        "-delayBeforeQuit", "1000", "-delayAfterQuit", "-1",
    ]
    if args.variant != "normal":
        xboard += ["-variant", args.variant]
    if args.inc is not None:
        xboard += ["-inc", str(args.inc)]
    else:
        xboard += ["-mps", str(args.mps), "-inc", "-1"]
    if args.opponent == "vorn":
        # Vorn against Vorn under protocol 1: under protocol 2 xboard sends
        # both the same "cores", which would override each side's -threads.
        xboard += ["-firstProtocolVersion", "1", "-secondProtocolVersion", "1"]
    else:
        # xboard sends "cores N" to every engine that plays on several
        # threads, PolyGlot passing it on as Threads, and N is its own
        # -smpCores (1 unless told): without this, "cores 1" would override
        # Vorn's -threads. It is one figure for both sides, so an opponent
        # that can use threads gets as many.
        xboard += ["-smpCores", str(args.threads)]
    if not vorn_white:
        xboard += ["-firstPlaysBlack", "true"]
    cmd = ["xvfb-run", "-a", "-e", os.path.join(tmp, os.path.basename(stem) + ".xvfb")] + xboard

    env = dict(os.environ, HOME=home)
    limit = game_timeout(args) * games
    start = time.time()
    seen = {}           # Vorn's pids: when each was last seen alive
    died = []           # seconds after the start at which one ended
    killed = None
    with open(stem + ".out", "w") as out:
        proc = subprocess.Popen(cmd, stdin=subprocess.DEVNULL, stdout=out,
                                stderr=subprocess.STDOUT, env=env,
                                start_new_session=True)
        while proc.poll() is None:
            now = time.time() - start
            procs = group_processes(proc.pid)
            for pid, (state, argv, exe) in procs.items():
                if state != "Z" and is_vorn(argv, exe, vorn):
                    seen[pid] = now
            for pid in list(seen):
                if pid not in procs or procs[pid][0] == "Z":
                    died.append(round(seen.pop(pid), 1))
            finished = count_games(stem + ".pgn")
            if now > limit:
                killed = f"xboard killed after {now:.0f} s (the limit of {games} game(s))"
            elif finished >= games and time.time() - os.path.getmtime(stem + ".pgn") > 30:
                killed = "xboard still running 30 s after the last game ended"
            if killed:
                break
            time.sleep(0.5)
    wall = time.time() - start
    left = [" ".join(argv) for pid, (state, argv, exe) in group_processes(proc.pid).items()
            if state != "Z" and is_vorn(argv, exe, vorn)]
    kill_group(proc.pid)
    proc.wait()
    metas = []
    for i, n in enumerate(range(first, last + 1)):
        meta = {
            "game": n, "batch": os.path.basename(stem), "index": i,
            "opening": name, "fen": fen,
            "vorn": "white" if (vorn_white == (i % 2 == 0)) else "black",
            "vorn_binary": vorn, "protocol": args.protocol,
            "opponent": args.opponent, "tc": args.tc, "mps": args.mps, "inc": args.inc,
            "threads": args.threads, "variant": args.variant,
            "vorn_elo": args.vorn_elo,
            "opponent_elo": args.elo if args.opponent == "stockfish" else None,
            "opponent_vorn": os.path.abspath(args.opponent_vorn or args.vorn) if args.opponent == "vorn" else None,
            "opponent_threads": args.opponent_threads if args.opponent == "vorn" else None,
            "wall": round(wall / games, 1), "killed": killed,
            # Seconds after xboard started at which a Vorn process ended
            # while xboard still ran, and Vorns still running when it quit.
            "vorn_ended": died, "vorn_left_running": left,
            "command": shlex.join(cmd),
        }
        with open(os.path.join(args.out, f"game-{n:03d}.json"), "w") as f:
            json.dump(meta, f, indent=1)
        metas.append(meta)
    return metas


def count_games(pgn):
    try:
        with open(pgn, errors="replace") as f:
            return sum(1 for line in f if line.startswith("[Event "))
    except OSError:
        return 0


# ---------------------------------------------------------------- reading

RESULTS = ("1-0", "0-1", "1/2-1/2", "*")
COMMENT_INFO = re.compile(r"^\s*([+-]?(?:\d+\.\d+|M?\d+))/(\d+)(?:\s+(\d+(?::\d+)?(?:\.\d+)?))?\s*$")


def clock_seconds(text):
    if ":" in text:
        m, s = text.split(":", 1)
        return int(m) * 60 + float(s)
    return float(text)


def read_pgn(path):
    """Each game of a PGN file as (tags, result comment, moves), a move
    being [side, depth or None, seconds or None, SAN] from its comment."""
    games = []
    if not os.path.exists(path):
        return games
    with open(path, errors="replace") as f:
        text = f.read()
    for chunk in re.split(r"^(?=\[Event )", text, flags=re.M):
        if not chunk.strip():
            continue
        tags = dict(re.findall(r'^\[(\w+)\s+"([^"]*)"\]', chunk, re.M))
        body = re.sub(r'^\[.*\]\s*$', "", chunk, flags=re.M)
        fen = tags.get("FEN", "").split()
        side = "black" if len(fen) > 1 and fen[1] == "b" else "white"
        moves = []
        result_comment = ""
        last_was_move = False
        for tok in re.findall(r"\{[^}]*\}|[^\s{}]+", body):
            if tok.startswith("{"):
                inner = tok[1:-1]
                m = COMMENT_INFO.match(inner)
                if m and last_was_move:
                    moves[-1][1] = int(m.group(2))
                    if m.group(3):
                        moves[-1][2] = clock_seconds(m.group(3))
                elif moves and not m:
                    result_comment = inner.strip()
                last_was_move = False
                continue
            if tok in RESULTS:
                last_was_move = False
                continue
            tok = re.sub(r"^\d+\.+", "", tok)
            if not tok or tok.startswith("$"):
                continue
            moves.append([side, None, None, tok])
            side = "black" if side == "white" else "white"
            last_was_move = True
        games.append((tags, result_comment, moves))
    # A move that arrives after a flag fell can make xboard play it and save
    # the same round a second time with another result; its match score
    # keeps the first, and so do we.
    firsts, rounds = [], set()
    for game in games:
        r = game[0].get("Round")
        if r is None or r not in rounds:
            firsts.append(game)
        rounds.add(r)
    return firsts


LOG_LINE = re.compile(r"^(\d+) ([<>])(first |second): ?(.*)$")
MOVE_OUT = re.compile(r"^(?:move\s+\S+|\d+\.\s*(?:\.\.\.\s*)?\S+)\s*$")


def read_log(path):
    """xboard's debug log of a batch: each engine's thinking times (from the
    line that handed it the move to the move it sent, in xboard's
    milliseconds) and, for each game, its lines and what Vorn ("first") did
    around the end. A game's lines run up to the "new" of the next game."""
    times = {"first": [], "second": []}
    games = []
    def new_game():
        games.append({"lines": [], "result_ts": None, "last_sent": None,
                      "last_out": None, "after_end": []})
        return games[-1]
    game = new_game()
    last_sent = {"first": None, "second": None}
    if not os.path.exists(path):
        return times, games
    with open(path, errors="replace") as f:
        for raw in f:
            raw = raw.rstrip("\n")
            m = LOG_LINE.match(raw)
            if m and m.group(2) == ">" and m.group(3) == "first " \
                    and m.group(4).strip() == "new" and game["result_ts"] is not None:
                game = new_game()
            game["lines"].append(raw)
            if not m:
                continue
            ts, way, who, text = int(m.group(1)), m.group(2), m.group(3).strip(), m.group(4).strip()
            if way == ">":
                if who == "first" and text.startswith("result") and game["result_ts"] is None:
                    game["result_ts"] = ts
                if not text.startswith(("time ", "otim ")):
                    last_sent[who] = ts
                    if who == "first" and game["result_ts"] is None:
                        game["last_sent"] = ts
                continue
            if who == "first" and game["result_ts"] is None:
                game["last_out"] = ts
            if MOVE_OUT.match(text):
                if who == "first" and game["result_ts"] is not None:
                    game["after_end"].append((raw, ts - game["result_ts"]))
                elif last_sent[who] is not None:
                    times[who].append((ts - last_sent[who]) / 1000.0)
    return times, games


START_CHILD = re.compile(r"^StartChildProcess \(dir=\"[^\"]*\"\) (.*)$")
THREADS_ARG = re.compile(r"(?:^|\s)-threads\s+(\d+)\b")
CORES = re.compile(r"^cores\s+(\d+)\s*$")
POLYGLOT_THREADS = re.compile(r"Adapter->Engine: setoption name Threads value (\d+)\s*$")


def read_threads(path, polyglot_log=None):
    """The threads each side played on, as a batch's logs show it:
    {"first": N, "second": N} (None where the log is missing). An engine is
    told by xboard's "cores N" (sent only to engines that play on several
    threads), else by "-threads N" on its command line, else it plays on
    one; Vorn through PolyGlot by the last Threads PolyGlot set."""
    threads = {"first": None, "second": None}
    if not os.path.exists(path):
        return threads
    started = None      # the command of the engine xboard started last
    args = {}
    cores = {}
    with open(path, errors="replace") as f:
        for raw in f:
            raw = raw.rstrip("\n")
            m = START_CHILD.match(raw)
            if m:
                started = m.group(1)
                continue
            m = LOG_LINE.match(raw)
            if not m or m.group(2) != ">":
                continue
            who = m.group(3).strip()
            if started is not None:
                # The first line sent after a start goes to the engine started.
                a = THREADS_ARG.search(started)
                args[who] = int(a.group(1)) if a else 1
                started = None
            c = CORES.match(m.group(4).strip())
            if c:
                cores[who] = int(c.group(1))
    for who in threads:
        if who in cores:
            threads[who] = cores[who]
        elif who in args:
            threads[who] = args[who]
    if polyglot_log and os.path.exists(polyglot_log):
        with open(polyglot_log, errors="replace") as f:
            for line in f:
                m = POLYGLOT_THREADS.search(line.rstrip("\n"))
                if m:
                    threads["first"] = int(m.group(1))
    return threads


def vorn_score(result, colour):
    if result == "1/2-1/2":
        return 0.5
    if result in ("1-0", "0-1"):
        return 1.0 if (result == "1-0") == (colour == "white") else 0.0
    return None


def faults_of_game(meta, pgn_game, log_game):
    """Vorn's faults seen in one game's PGN and log, each a short sentence."""
    tags, comment, _ = pgn_game
    result = tags.get("Result", "*")
    lost = vorn_score(result, meta["vorn"]) == 0.0
    faults = []
    c = comment.lower()
    end = log_game["result_ts"]
    if lost and "wins on time" in c:
        what = f"loss on time ({comment})"
        if end is not None and log_game["last_out"] is None:
            what += "; Vorn sent nothing in this game"
        elif end is not None:
            thinking = (end - (log_game["last_sent"] or 0)) / 1000.0
            silent = (end - log_game["last_out"]) / 1000.0
            what += f"; {thinking:.1f} s on the last move, the last output {silent:.1f} s before the flag"
        faults.append(what)
    if lost and ("illegal" in c or "invalid move" in c):
        faults.append(f"illegal move ({comment})")
    if lost and "false" in c and "claim" in c:
        faults.append(f"false claim ({comment})")
    if "exited" in c or "crash" in c:
        faults.append(f"crash? ({comment})")
    for line in log_game["lines"]:
        if re.search(r'Illegal move ".*" from first machine', line):
            faults.append(f"illegal move: {line.strip()}")
        elif re.search(r"rejected by first chess program", line):
            faults.append(f"rejected a legal move: {line.strip()}")
        elif re.search(r"first chess program .*exited unexpectedly|Error (reading from|writing to) first chess program", line):
            if not any(f_.startswith("crash: ") for f_ in faults):
                faults.append(f"crash: {line.strip()}")
        elif re.search(r"Ignoring (move out of turn|extra move) (by|from) first", line):
            faults.append(f"move when not on move: {line.strip()}")
        elif re.search(r"^\d+ <first : .*(Illegal move|[Ee]rror)", line):
            faults.append(f"Vorn complained: {line.strip()}")
    for line, late in log_game["after_end"]:
        faults.append(f"move after the game ended ({late} ms after xboard sent the result): {line.strip()}")
    # Only an engine that flags itself (loss on time with a move still to
    # come) or a broken xboard leaves a game without a result.
    if result == "*":
        faults.append(f"game unfinished ({comment or 'no result'})")
    return faults


def faults_of_batch(metas, pgn_games, log_games, out_path, polyglot_log):
    """Faults of the xboard run as a whole, each given to the game it
    happened in: {index in batch: [fault]}."""
    found = {}
    def add(i, text):
        found.setdefault(i, []).append(text)
    meta = metas[0]
    last = len(metas) - 1
    ends = [g["result_ts"] for g in log_games]
    for t in meta.get("vorn_ended", []):
        # Seconds since the start against xboard's milliseconds: xboard
        # starts a little after, so this errs towards "after the result".
        for i in range(len(metas)):
            end = ends[i] if i < len(ends) else None
            if end is None or t * 1000 < end:
                add(i, f"crash: Vorn's process ended {t:.1f} s after the start, before the game's result")
                break
    if meta.get("killed"):
        unfinished = [i for i in range(len(metas))
                      if i >= len(pgn_games) or pgn_games[i][0].get("Result", "*") == "*"]
        add(unfinished[0] if unfinished else last, "hang: " + meta["killed"])
    if meta.get("vorn_left_running"):
        add(last, "Vorn still running after xboard sent quit: " + "; ".join(meta["vorn_left_running"]))
    if os.path.exists(out_path):
        with open(out_path, errors="replace") as f:
            for line in f:
                if re.search(r"xboard.*(Error|error|Fatal)|Fatal Error|exited unexpectedly", line):
                    add(last, f"xboard: {line.strip()}")
    if polyglot_log and os.path.exists(polyglot_log):
        with open(polyglot_log, errors="replace") as f:
            for line in f:
                if re.search(r"illegal|Illegal|ERROR|died|unexpected", line):
                    add(last, f"polyglot: {line.strip()}")
    return found


def elo(score):
    return -400.0 * math.log10(1.0 / score - 1.0)


def mean(xs):
    return sum(xs) / len(xs) if xs else None


def fmt(x, digits=2):
    return "n/a" if x is None else f"{x:.{digits}f}"


def summarize(out):
    metas = []
    for path in sorted(glob.glob(os.path.join(out, "game-*.json"))):
        with open(path) as f:
            metas.append(json.load(f))
    if not metas:
        return "no games in " + out
    batches = {}
    for meta in metas:
        batches.setdefault(meta["batch"], []).append(meta)
    w = d = l = 0
    unfinished = []
    reasons = {}
    t_pgn = {"vorn": [], "opp": []}
    t_log = {"vorn": [], "opp": []}
    depth = {"vorn": [], "opp": []}
    faults = []
    castled = []
    played_on = {"first": set(), "second": set()}
    wall = 0.0
    for batch, ms in sorted(batches.items()):
        ms.sort(key=lambda m: m["index"])
        stem = os.path.join(out, batch)
        pgn_games = read_pgn(stem + ".pgn")
        times, log_games = read_log(stem + ".log")
        t_log["vorn"] += times["first"]
        t_log["opp"] += times["second"]
        poly = stem + ".polyglot.log" if ms[0]["protocol"] == "uci" else None
        batch_faults = faults_of_batch(ms, pgn_games, log_games, stem + ".out", poly)
        for who, n in read_threads(stem + ".log", poly).items():
            if n is not None:
                played_on[who].add(n)
        for meta in ms:
            i = meta["index"]
            n = meta["game"]
            wall += meta["wall"]
            pgn_game = pgn_games[i] if i < len(pgn_games) else ({}, "", [])
            log_game = log_games[i] if i < len(log_games) else \
                {"lines": [], "result_ts": None, "last_sent": None, "last_out": None, "after_end": []}
            tags, comment, moves = pgn_game
            s = vorn_score(tags.get("Result", "*"), meta["vorn"])
            if s is None:
                unfinished.append(n)
            else:
                w, d, l = w + (s == 1.0), d + (s == 0.5), l + (s == 0.0)
                key = (comment or "no comment") + {1.0: " (Vorn won)", 0.0: " (Vorn lost)", 0.5: ""}[s]
                reasons[key] = reasons.get(key, 0) + 1
            if any(side == meta["vorn"] and san.startswith("O-O") for side, _, _, san in moves):
                castled.append(n)
            for side, dep, sec, _ in moves:
                who = "vorn" if side == meta["vorn"] else "opp"
                if dep is not None:
                    depth[who].append(dep)
                if sec is not None:
                    t_pgn[who].append(sec)
            for f_ in faults_of_game(meta, pgn_game, log_game) + batch_faults.get(i, []):
                faults.append(f"game {n} ({batch}.pgn, {batch}.log): {f_}")

    m0 = metas[0]
    tc = f"{m0['tc']} + {m0['inc']:g} s a move" if m0["inc"] is not None else f"{m0['mps']} moves in {m0['tc']}"
    threads = m0.get("threads") or 1
    opponent = m0["opponent"]
    if m0.get("opponent_elo"):
        opponent += f" at UCI_Elo {m0['opponent_elo']}"
    if m0.get("opponent_vorn"):
        opponent = f"Vorn {m0['opponent_vorn']} at {m0['opponent_threads']} thread(s)"
    variant = m0.get("variant") or "normal"
    level = f", level {m0['vorn_elo']}" if m0.get("vorn_elo") else ""
    lines = [f"Vorn {m0['vorn_binary']} ({m0['protocol']}, {threads} thread(s){level}) against {opponent}, {tc}, "
             f"{len(metas)} games" + (f" of {variant}" if variant != "normal" else "") + f" in {out}"]
    n = w + d + l
    lines.append(f"Vorn: {w} wins, {d} draws, {l} losses"
                 + (f"; {len(unfinished)} unfinished, not scored (games {', '.join(map(str, unfinished))})"
                    if unfinished else ""))
    if n:
        score = (w + 0.5 * d) / n
        lines.append(f"score {w + 0.5 * d:g}/{n} = {100 * score:.1f}%")
        # Elo from the score through the logistic curve, E = -400 log10(1/s - 1).
        # The 95% margin: the per-game variance of the score,
        # var = (w (1-s)^2 + d (0.5-s)^2 + l s^2) / n, gives the standard
        # error sqrt(var / n) of the mean score; s -/+ 1.96 of them turned
        # into Elo the same way bound the interval, and the margin printed
        # is half its width.
        if 0 < score < 1:
            var = (w * (1 - score) ** 2 + d * (0.5 - score) ** 2 + l * score ** 2) / n
            se = math.sqrt(var / n)
            lo, hi = score - 1.96 * se, score + 1.96 * se
            if lo > 0 and hi < 1:
                lines.append(f"Elo difference {elo(score) + 0.0:+.0f} +/- {(elo(hi) - elo(lo)) / 2:.0f} (95%)")
            else:
                # The interval reaches a score of 0 or 1: one side is unbounded.
                low = f"{elo(lo):+.0f}" if lo > 0 else "-inf"
                high = f"{elo(hi):+.0f}" if hi < 1 else "+inf"
                lines.append(f"Elo difference {elo(score) + 0.0:+.0f}, 95% interval [{low}, {high}]")
        else:
            lines.append("Elo difference " + ("+inf" if score == 1 else "-inf") + " (all games won or all lost)")
    opp = m0["opponent"]
    lines.append(f"{'':34}{'Vorn':>10}{opp:>12}")
    lines.append(f"{'seconds a move, xboard debug log':34}{fmt(mean(t_log['vorn'])):>10}{fmt(mean(t_log['opp'])):>12}"
                 f"   ({len(t_log['vorn'])} and {len(t_log['opp'])} moves)")
    lines.append(f"{'seconds a move, PGN comments':34}{fmt(mean(t_pgn['vorn'])):>10}{fmt(mean(t_pgn['opp'])):>12}"
                 f"   ({len(t_pgn['vorn'])} and {len(t_pgn['opp'])} moves)")
    lines.append(f"{'depth a move, PGN comments':34}{fmt(mean(depth['vorn']), 1):>10}{fmt(mean(depth['opp']), 1):>12}"
                 f"   ({len(depth['vorn'])} and {len(depth['opp'])} moves)")
    def shown(ns):
        return "n/a" if not ns else " or ".join(map(str, sorted(ns)))
    lines.append(f"{'threads, from the logs':34}{shown(played_on['first']):>10}{shown(played_on['second']):>12}")
    if played_on["first"] and played_on["first"] != {threads}:
        lines.append(f"Vorn was asked for {threads} thread(s) and played on {shown(played_on['first'])}")
    lines.append(f"wall time {wall:.0f} s, {wall / len(metas):.0f} s a game")
    lines.append(f"Vorn castled in {len(castled)} of {len(metas)} games")
    lines.append("how the games ended:")
    for k, v in sorted(reasons.items(), key=lambda kv: (-kv[1], kv[0])):
        lines.append(f"  {v:3d}  {k}")
    if faults:
        lines.append(f"faults of Vorn ({len(faults)}):")
        lines += ["  " + f_ for f_ in faults]
    else:
        lines.append("faults of Vorn: none")
    return "\n".join(lines)


# ---------------------------------------------------------------- main

def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--opponent", default="fairymax", choices=sorted(OPPONENTS))
    p.add_argument("--protocol", default="xboard", choices=["xboard", "uci"],
                   help="how xboard talks to Vorn: natively or through PolyGlot")
    p.add_argument("--games", type=int, default=10, help="play games up to this number")
    p.add_argument("--first", type=int, default=1, help="first game number (to continue a match)")
    p.add_argument("--tc", default="0:20", help="xboard -tc: minutes[:seconds] per period")
    p.add_argument("--mps", type=int, default=40, help="xboard -mps: moves per period")
    p.add_argument("--inc", type=float, default=None,
                   help="xboard -inc: seconds added a move (instead of --mps)")
    p.add_argument("--vorn", default="build/vorn")
    p.add_argument("--threads", type=int, default=1,
                   help="Vorn's search threads (xboard's -smpCores: an opponent that plays on threads gets as many)")
    p.add_argument("--opponent-vorn", default=None,
                   help="with --opponent vorn: the opponent's binary (default: --vorn's)")
    p.add_argument("--opponent-threads", type=int, default=1, help="with --opponent vorn: its search threads")
    p.add_argument("--out", default=None, help="output folder (default build/match/OPPONENT-TIME)")
    p.add_argument("--openings", default=os.path.join(HERE, "openings.epd"))
    p.add_argument("--skill", type=int, default=3, help="stockfish's Skill Level")
    p.add_argument("--elo", type=int, default=None,
                   help="stockfish at this UCI_Elo (UCI_LimitStrength on) instead of a Skill Level")
    p.add_argument("--vorn-elo", type=int, default=None,
                   help="Vorn at this strength (-elo N, or UCI_Elo through PolyGlot); full strength without")
    p.add_argument("--summary-only", action="store_true",
                   help="print the summary of the games in --out and play none")
    p.add_argument("--xboard", default="/usr/games/xboard")
    p.add_argument("--polyglot", default="/usr/games/polyglot")
    p.add_argument("--stockfish", default="/usr/games/stockfish")
    p.add_argument("--glaurung", default="/usr/games/glaurung")
    p.add_argument("--variant", default="normal", choices=["normal", "fischerandom"],
                   help="fischerandom: Chess960 from shuffled start positions instead of --openings")
    p.add_argument("--seed", type=int, default=1, help="with fischerandom: the order of the start positions")
    args = p.parse_args()

    if args.out is None:
        if args.summary_only:
            sys.exit("--summary-only needs --out")
        args.out = os.path.join("build", "match", f"{args.opponent}-{time.strftime('%Y%m%d-%H%M%S')}")
    args.out = os.path.abspath(args.out)
    os.makedirs(args.out, exist_ok=True)

    if not args.summary_only:
        if not os.access(args.vorn, os.X_OK):
            sys.exit(f"no engine at {args.vorn}")
        if args.variant == "fischerandom":
            openings = chess960_openings(args.seed)
        else:
            openings = read_openings(args.openings)
        print(f"{args.games - args.first + 1} games, Vorn {os.path.abspath(args.vorn)} ({args.protocol}) "
              f"against {args.opponent}" + (f", {args.variant}" if args.variant != "normal" else "")
              + f"; output in {args.out}", flush=True)
        n = args.first
        while n <= args.games:
            # An odd game and the next share an opening and an xboard.
            last = n + 1 if n % 2 == 1 and n < args.games else n
            for meta in play_batch(args, n, last, openings):
                games = read_pgn(os.path.join(args.out, meta["batch"] + ".pgn"))
                tags, comment, _ = games[meta["index"]] if meta["index"] < len(games) else ({}, "", [])
                s = vorn_score(tags.get("Result", "*"), meta["vorn"])
                shown = {1.0: "win", 0.5: "draw", 0.0: "loss", None: "unfinished"}[s]
                print(f"game {meta['game']:3d}  Vorn {meta['vorn']:5}  {shown:10}  {comment}"
                      f"{'  (' + meta['killed'] + ')' if meta['killed'] else ''}"
                      f"  [{meta['wall']:.0f} s, {meta['opening']}]", flush=True)
            n = last + 1
    summary = summarize(args.out)
    with open(os.path.join(args.out, "summary.txt"), "w") as f:
        f.write(summary + "\n")
    print(summary)


if __name__ == "__main__":
    main()
