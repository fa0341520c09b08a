#!/usr/bin/env bash
# Vorn against an engine from Debian's packages, or another Vorn build or
# setting, inside xboard, headless under
# Xvfb (scripts/match.py plays and scores; see there for the files it writes).
# Installs what is missing, like .ci/run does for its tools.
#
#   scripts/match.sh [--opponent fairymax|phalanx|stockfish|glaurung|vorn] [--protocol xboard|uci]
#                    [--games N] [--first K] [--tc 0:20] [--mps 40 | --inc SECONDS]
#                    [--vorn PATH] [--threads N] [--opponent-vorn PATH] [--opponent-threads N]
#                    [--out DIR] [--openings FILE] [--skill N | --elo N] [--vorn-elo N]
#                    [--variant normal|fischerandom] [--seed N]
#   scripts/match.sh --summary-only --out DIR
set -euo pipefail
cd "$(dirname "$0")/.."

opponent=fairymax
protocol=xboard
args=("$@")
for ((i = 0; i < ${#args[@]}; i++)); do
  case ${args[i]} in
    --opponent) opponent=${args[i + 1]:-} ;;
    --opponent=*) opponent=${args[i]#*=} ;;
    --protocol) protocol=${args[i + 1]:-} ;;
    --protocol=*) protocol=${args[i]#*=} ;;
  esac
done

need=()
[ -x /usr/games/xboard ] || need+=(xboard)
command -v xvfb-run >/dev/null 2>&1 || need+=(xvfb)
command -v xauth >/dev/null 2>&1 || need+=(xauth)
command -v python3 >/dev/null 2>&1 || need+=(python3)
case $opponent in
  fairymax) [ -x /usr/games/fairymax ] || need+=(fairymax) ;;
  phalanx) [ -x /usr/games/phalanx ] || need+=(phalanx) ;;
  stockfish) [ -x /usr/games/stockfish ] || need+=(stockfish) ;;
  glaurung) [ -x /usr/games/glaurung ] || need+=(glaurung) ;;
esac
if [[ $protocol == uci || $opponent == stockfish || $opponent == glaurung ]]; then
  [ -x /usr/games/polyglot ] || need+=(polyglot)
fi
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q "${need[@]}"
fi

exec python3 scripts/match.py "$@"
