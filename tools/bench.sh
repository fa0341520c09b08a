#!/usr/bin/env bash
# Vorn's speed on this machine, one core, against the stockfish binary from
# Debian's package as a yardstick measured in the same run:
#   perft 6 from the start position  (Vorn "-perft -fd 6", stockfish "go perft 6")
#   search speed                     (Vorn "-bench -fd N", stockfish "bench 16 1 13 default depth")
#   start-up until "uciok"           (Vorn only)
# Every figure is the best of BENCH_RUNS runs (default 3), so that a busy
# machine disturbs it less; times are wall-clock.
#
#   tools/bench.sh [path/to/vorn]      (default build/vorn)
#   BENCH_DEPTH=12 BENCH_RUNS=3 STOCKFISH=/usr/games/stockfish
set -u
export LC_ALL=C

VORN=${1:-build/vorn}
DEPTH=${BENCH_DEPTH:-12}
RUNS=${BENCH_RUNS:-3}
STOCKFISH=${STOCKFISH:-$(command -v stockfish || echo /usr/games/stockfish)}

if [[ ! -x $VORN ]]; then
  echo "no engine at $VORN (build it first)" >&2
  exit 1
fi
if [[ ! -x $STOCKFISH ]]; then
  echo "note: no stockfish binary (apt-get install stockfish); the yardstick is left out" >&2
  STOCKFISH=""
fi

now_us() { local t=${EPOCHREALTIME/./}; echo $((10#$t)); }
ms() { awk -v us="$1" 'BEGIN { printf "%.1f", us / 1000 }'; }
min() { printf '%s\n' "$@" | sort -n | head -1; }
max() { printf '%s\n' "$@" | sort -n | tail -1; }

# Microseconds from start-up to the "uciok" line.
vorn_uciok_us() {
  local start line end
  start=$(now_us)
  coproc ENGINE { exec "$VORN"; }
  echo uci >&"${ENGINE[1]}"
  while read -r line <&"${ENGINE[0]}"; do
    [[ $line == uciok* ]] && break
  done
  end=$(now_us)
  echo quit >&"${ENGINE[1]}"
  wait "$ENGINE_PID" 2>/dev/null
  echo $((end - start))
}

# Microseconds of stockfish's "go perft 6", from the command to its total
# (its start-up and network loading excluded).
stockfish_perft_us() {
  local start line end
  coproc SF { exec "$STOCKFISH"; }
  printf 'uci\nisready\n' >&"${SF[1]}"
  while read -r line <&"${SF[0]}"; do [[ $line == readyok* ]] && break; done
  printf 'position startpos\n' >&"${SF[1]}"
  start=$(now_us)
  echo "go perft 6" >&"${SF[1]}"
  while read -r line <&"${SF[0]}"; do [[ $line == "Nodes searched"* ]] && break; done
  end=$(now_us)
  echo quit >&"${SF[1]}"
  wait "$SF_PID" 2>/dev/null
  echo $((end - start)) "${line##*: }"
}

echo "Vorn: $VORN   depth $DEPTH   best of $RUNS runs"
[[ -n $STOCKFISH ]] && echo "Yardstick: $STOCKFISH"
echo

# Perft 6.
perft_times=()
leaves=0
for ((i = 0; i < RUNS; i++)); do
  start=$(now_us)
  out=$("$VORN" -perft -fd 6)
  end=$(now_us)
  perft_times+=($((end - start)))
  leaves=$(awk '/Leaf Nodes/ { print $1 }' <<<"$out")
done
vorn_perft=$(min "${perft_times[@]}")
printf 'Vorn perft 6:       %10s ms  %10s leaf nodes  %12s leaf nodes/s\n' "$(ms "$vorn_perft")" "$leaves" \
  "$(awk -v n="$leaves" -v us="$vorn_perft" 'BEGIN { printf "%.0f", n / (us / 1e6) }')"

# Search speed on the built-in benchmark positions.
bench_nps=()
declare -A bench_line
for ((i = 0; i < RUNS; i++)); do
  out=$("$VORN" -bench -fd "$DEPTH")
  read -r btime interior quiesce total nps <<<"$(awk '/Time Interior Nodes/ { getline; print; exit }' <<<"$out")"
  bench_nps+=("$nps")
  bench_line[$nps]="$btime $total"
done
vorn_nps=$(max "${bench_nps[@]}")
read -r btime total <<<"${bench_line[$vorn_nps]}"
printf 'Vorn -bench -fd %-3s %10s ms  %10s nodes       %12s nodes/s\n' "$DEPTH" "$btime" "$total" "$vorn_nps"

# Start-up until "uciok".
uci_times=()
for ((i = 0; i < RUNS + 2; i++)); do uci_times+=("$(vorn_uciok_us)"); done
printf 'Vorn uci -> uciok:  %10s ms  (slowest of %d: %s ms)\n' "$(ms "$(min "${uci_times[@]}")")" $((RUNS + 2)) \
  "$(ms "$(max "${uci_times[@]}")")"

[[ -z $STOCKFISH ]] && exit 0
echo

sf_perft_times=()
for ((i = 0; i < RUNS; i++)); do
  read -r us sf_leaves <<<"$(stockfish_perft_us)"
  sf_perft_times+=("$us")
done
sf_perft=$(min "${sf_perft_times[@]}")
printf 'stockfish perft 6:  %10s ms  %10s leaf nodes\n' "$(ms "$sf_perft")" "$sf_leaves"

sf_nps_runs=()
for ((i = 0; i < RUNS; i++)); do
  sf_nps_runs+=("$("$STOCKFISH" bench 16 1 13 default depth 2>&1 | awk '/Nodes\/second/ { print $NF }')")
done
sf_nps=$(max "${sf_nps_runs[@]}")
printf 'stockfish bench:    %10s nodes/s (1 thread, depth 13)\n' "$sf_nps"

echo
awk -v v="$vorn_perft" -v s="$sf_perft" 'BEGIN {
  r = v / s; printf "perft 6 time, Vorn / stockfish:   %5.2f   (target at most 2.50)  %s\n", r, (r <= 2.5 ? "met" : "NOT MET") }'
awk -v v="$vorn_nps" -v s="$sf_nps" 'BEGIN {
  r = v / s; printf "search speed, Vorn / stockfish:   %5.2f   (target at least 1.50) %s\n", r, (r >= 1.5 ? "met" : "NOT MET") }'
awk -v u="$(max "${uci_times[@]}")" 'BEGIN {
  printf "uci -> uciok, slowest run:      %5.1f ms (target within 50 ms)  %s\n", u / 1000, (u <= 50000 ? "met" : "NOT MET") }'
