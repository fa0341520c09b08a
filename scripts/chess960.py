#!/usr/bin/env python3
"""Chess960 start positions by their standard number (0 to 959, 518 being
standard chess's), and the perft figures of tests/data/chess960-perft.txt.

  scripts/chess960.py fen N          the FEN of start position N ("HAha" rights)
  scripts/chess960.py perft-data [STOCKFISH]
                                     the data file, counted by Debian's
                                     stockfish ("go perft" with UCI_Chess960)

The perft data holds every start position to depth 4, sixty of them (every
sixteenth number) to depth 5, and middle-game positions where castling is
tricky, each to depths 1 to 4 (5 for some). Vorn promotes to a queen only:
no position here reaches a promotion within its depth.
"""

import subprocess
import sys

KNIGHT_PLACES = [(0, 1), (0, 2), (0, 3), (0, 4), (1, 2), (1, 3), (1, 4), (2, 3), (2, 4), (3, 4)]


def first_rank(number):
    """White's first rank of start position `number`, "RNBQKBNR" for 518."""
    rank = [None] * 8
    n = number
    rank[2 * (n % 4) + 1] = "B"
    n //= 4
    rank[2 * (n % 4)] = "B"
    n //= 4

    def place(nth, man):
        empty = [i for i, m in enumerate(rank) if m is None]
        rank[empty[nth]] = man

    place(n % 6, "Q")
    n //= 6
    far, near = KNIGHT_PLACES[n][1], KNIGHT_PLACES[n][0]
    place(far, "N")
    place(near, "N")
    for man in "RKR":
        place(0, man)
    return "".join(rank)


def fen(number, files=True):
    """The start position's FEN; rights by the rooks' files or as KQkq."""
    white = first_rank(number)
    if files:
        king_rook, queen_rook = white.rfind("R"), white.find("R")
        rights = "%c%c%c%c" % (65 + king_rook, 65 + queen_rook, 97 + king_rook, 97 + queen_rook)
    else:
        rights = "KQkq"
    return "%s/pppppppp/8/8/8/8/PPPPPPPP/%s w %s - 0 1" % (white.lower(), white, rights)


# Middle-game positions where castling is tricky, with the depths counted.
TRICKY = [
    # The king and its rook swap squares (f1/g1), the other rook beside it.
    ("4rkr1/pppppppp/8/8/8/8/PPPPPPPP/4RKR1 w GEge - 0 1", 5),
    # The king already on its castling square (g1): only the rook moves.
    ("1r4kr/ppp2ppp/3pp3/8/8/3PP3/PPP2PPP/1R4KR w HBhb - 0 1", 5),
    # The king on c1 for the queen side; the rook goes a1 to d1 past it.
    ("r1k3r1/ppp1pppp/3p4/8/8/3P4/PPP1PPPP/R1K3R1 w GAga - 0 1", 5),
    # The king-side rook between the king and its square; the queen-side
    # castling blocked by that rook on c1.
    ("rkr5/pppppppp/8/8/8/8/PPPPPPPP/RKR5 w CAca - 0 1", 5),
    # The castling rook shields the king's square from a rook behind it:
    # queen-side castling would leave the king attacked from a1.
    ("1r2k3/8/8/8/8/8/8/rR2K2R w HB - 0 1", 4),
    # Rook squares attacked (castling is still allowed), and a rook that can
    # be taken at home, after which a rook arriving there cannot castle.
    ("rk4r1/pppb1ppp/8/3p4/3P4/1n6/PPP2PPP/RK3BR1 w GAga - 0 1", 4),
    ("r3k1r1/1pp2ppp/8/p2b4/4B3/P7/1PP2PPP/R3K1R1 w GAga - 0 1", 4),
    # Kings on b1/b8 next to their rooks, a bishop aiming at the path.
    ("rk2r3/ppp2ppp/8/3pb3/4B3/8/PPP2PPP/RK2R3 w EAea - 0 1", 4),
    # Only one right a side, X-FEN style letters elsewhere are file letters.
    ("1r1k2r1/p1pp1ppp/1p6/8/8/1P6/P1PP1PPP/1R1K2R1 w Gb - 0 1", 5),
    # Queen checks along the first rank through the castling path.
    ("2r1kr2/pp3ppp/8/8/8/8/PP3PPP/q1R1KR2 w FCfc - 0 1", 4),
]


def perft(engine, position, depths):
    lines = ["uci", "setoption name UCI_Chess960 value true", "isready", "position fen " + position]
    for depth in depths:
        lines.append("go perft %d" % depth)
    lines.append("isready")
    out = subprocess.run([engine], input="\n".join(lines) + "\n", capture_output=True, text=True).stdout
    counts = [int(line.split(":")[1]) for line in out.splitlines() if line.startswith("Nodes searched")]
    if len(counts) != len(depths):
        raise SystemExit("no perft for " + position + ":\n" + out)
    return counts


def perft_data(engine):
    print("# Chess960 perft: FEN;depth count;... counted by %s (go perft, UCI_Chess960 true)." % engine)
    print("# Start positions by number (sp N), then middle-game positions where castling is tricky.")
    for number in range(960):
        depths = [4, 5] if number % 16 == 0 else [4]
        counts = perft(engine, fen(number), depths)
        print("sp %d;%s;%s" % (number, fen(number), ";".join("%d %d" % dc for dc in zip(depths, counts))))
    for position, deepest in TRICKY:
        depths = list(range(1, deepest + 1))
        counts = perft(engine, position, depths)
        print("tricky;%s;%s" % (position, ";".join("%d %d" % dc for dc in zip(depths, counts))))


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "fen":
        print(fen(int(sys.argv[2])))
    elif len(sys.argv) >= 2 and sys.argv[1] == "perft-data":
        perft_data(sys.argv[2] if len(sys.argv) >= 3 else "/usr/games/stockfish")
    else:
        print(__doc__)
        sys.exit(2)


if __name__ == "__main__":
    main()
