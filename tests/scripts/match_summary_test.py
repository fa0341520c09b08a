#!/usr/bin/env python3
"""The match summary's thread counts, read from logs shaped like the ones
xboard and PolyGlot write: a GUI setting that overrides what Vorn was asked
to use must show in the summary, not the figure the match was started with."""

import json
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
sys.dont_write_bytecode = True  # the test leaves nothing in the source tree
import match  # noqa: E402

VORN_START = 'StartChildProcess (dir="/b") /b/vorn xboard -threads 2\n'
POLYGLOT_START = 'StartChildProcess (dir="/b") /usr/games/polyglot -noini -ec /b/vorn -ed /b -log true -lf x.log\n'
FAIRYMAX_START = 'StartChildProcess (dir="/t") /usr/games/fairymax\n'
OPPONENT_START = 'StartChildProcess (dir="/t") /t/vorn-opponent xboard\n'


class ReadThreadsTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.dir.cleanup()

    def write(self, name, text):
        path = os.path.join(self.dir.name, name)
        with open(path, "w") as f:
            f.write(text)
        return path

    def test_each_side_from_its_own_lines(self):
        cases = [
            # xboard's own "cores 1" overrides the -threads of the command line.
            ("cores overrides the command line",
             VORN_START + "10 >first : xboard\n" "12 >first : cores 1\n"
             + FAIRYMAX_START + "20 >second: xboard\n",
             None, {"first": 1, "second": 1}),
            ("cores sent to both sides",
             VORN_START + "10 >first : xboard\n" "11 <first : feature smp=1\n" "12 >first : cores 2\n"
             + POLYGLOT_START + "20 >second: xboard\n" "25 >second: cores 2\n",
             None, {"first": 2, "second": 2}),
            # Protocol 1: no cores, each keeps the -threads it was started with,
            # the engine started second included.
            ("protocol 1 keeps the command line",
             VORN_START + "10 >first : xboard\n" + OPPONENT_START + "20 >second: xboard\n" "30 >first : go\n",
             None, {"first": 2, "second": 1}),
            # Through PolyGlot the last Threads it set is what Vorn searched with.
            ("PolyGlot's last Threads",
             POLYGLOT_START + "10 >first : xboard\n" "12 >first : cores 1\n"
             + FAIRYMAX_START + "20 >second: xboard\n",
             "1.0 Adapter->Engine: setoption name Threads value 3\n"
             "1.1 Adapter->Engine: setoption name Hash value 64\n"
             "1.2 Adapter->Engine: setoption name Threads value 1\n",
             {"first": 1, "second": 1}),
        ]
        for name, log, polyglot, expected in cases:
            with self.subTest(name):
                log_path = self.write("games.log", log)
                poly_path = self.write("games.polyglot.log", polyglot) if polyglot is not None else None
                self.assertEqual(match.read_threads(log_path, poly_path), expected)

    def test_missing_log_reads_as_unknown(self):
        self.assertEqual(match.read_threads(os.path.join(self.dir.name, "none.log")),
                         {"first": None, "second": None})


class SummaryThreadsTest(unittest.TestCase):
    """A whole summary over one finished game whose log shows the override."""

    def test_summary_says_what_each_side_played_on(self):
        with tempfile.TemporaryDirectory() as out:
            meta = {
                "game": 1, "batch": "game-001", "index": 0, "opening": "o", "fen": "f",
                "vorn": "white", "vorn_binary": "/b/vorn", "protocol": "xboard",
                "opponent": "fairymax", "tc": "0:20", "mps": 40, "inc": None,
                "threads": 2, "variant": "normal", "vorn_elo": None, "opponent_elo": None,
                "opponent_vorn": None, "opponent_threads": None, "wall": 10.0, "killed": None,
                "vorn_ended": [], "vorn_left_running": [], "command": "xboard",
            }
            with open(os.path.join(out, "game-001.json"), "w") as f:
                json.dump(meta, f)
            with open(os.path.join(out, "game-001.pgn"), "w") as f:
                f.write('[Event "t"]\n[Round "1"]\n[Result "1-0"]\n\n1. e4 {+0.30/8 0.5} e5 {-0.20/6 0.4} '
                        '{Black resigns} 1-0\n')
            with open(os.path.join(out, "game-001.log"), "w") as f:
                f.write(VORN_START + "10 >first : xboard\n12 >first : cores 1\n"
                        + FAIRYMAX_START + "20 >second: xboard\n")
            summary = match.summarize(out).split("\n")
            row = [line for line in summary if line.startswith("threads, from the logs")]
            self.assertEqual(len(row), 1, summary)
            self.assertEqual(row[0].split()[-2:], ["1", "1"], row[0])
            self.assertIn("Vorn was asked for 2 thread(s) and played on 1", summary)

    def test_no_warning_when_the_threads_were_kept(self):
        with tempfile.TemporaryDirectory() as out:
            meta = {
                "game": 1, "batch": "game-001", "index": 0, "opening": "o", "fen": "f",
                "vorn": "black", "vorn_binary": "/b/vorn", "protocol": "xboard",
                "opponent": "fairymax", "tc": "0:20", "mps": 40, "inc": None,
                "threads": 2, "variant": "normal", "wall": 10.0, "killed": None,
            }
            with open(os.path.join(out, "game-001.json"), "w") as f:
                json.dump(meta, f)
            with open(os.path.join(out, "game-001.pgn"), "w") as f:
                f.write('[Event "t"]\n[Round "1"]\n[Result "1/2-1/2"]\n\n1. e4 e5 {Draw} 1/2-1/2\n')
            with open(os.path.join(out, "game-001.log"), "w") as f:
                f.write(VORN_START + "10 >first : xboard\n12 >first : cores 2\n"
                        + FAIRYMAX_START + "20 >second: xboard\n")
            summary = match.summarize(out)
            self.assertNotIn("was asked for", summary)
            self.assertIn("threads, from the logs", summary)


if __name__ == "__main__":
    unittest.main()
