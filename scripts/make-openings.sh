#!/usr/bin/env bash
# Makes the balanced openings of vorn-games again: random walks through
# Debian's opening book (gnuchess-book) to 8 to 10 plies, each position
# once, kept when a depth-10 search of Debian's stockfish scores it within
# 30 centipawns of equal. Installs the book and stockfish when missing (as
# root). Takes five to fifteen minutes on one core.
#
#   scripts/make-openings.sh [OUT] [COUNT] [SEED]
#        (defaults: scripts/openings-2000.epd 2000 1)
set -eu
cd "$(dirname "${BASH_SOURCE[0]}")/.."
out=${1:-scripts/openings-2000.epd}
count=${2:-2000}
seed=${3:-1}
book=/usr/share/games/gnuchess/book.bin
stockfish=/usr/games/stockfish

if [[ ! -f $book || ! -x $stockfish ]]; then
  [[ $(id -u) = 0 ]] || { echo "needs $book and $stockfish (apt-get install gnuchess-book stockfish)" >&2; exit 1; }
  apt-get update -q > /dev/null
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q gnuchess-book stockfish > /dev/null
fi
[[ -x build/vorn-openings ]] || make --no-print-directory build > /dev/null
./build/vorn-openings --book "$book" --engine "$stockfish" --out "$out" --count "$count" \
  --min-plies 8 --max-plies 10 --depth 10 --margin 30 --seed "$seed"
