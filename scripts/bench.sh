#!/usr/bin/env bash
# Vorn's speed on this machine, one core, each figure a ratio against its
# yardstick measured in the same run:
#   perft 6 from the start position   time against stockfish's "go perft 6"
#   "-bench -fd 12" (BENCH_DEPTH)      nodes a second against the previous
#                                      build, when one is given, and against
#                                      stockfish's "bench 16 1 13 default depth"
#   "-bench -fd 7" (BENCH_SHORT)       nodes a second against the build's own
#                                      depth-12 speed: the first touches of
#                                      the tables must not weigh on a short run
#   start-up until "uciok"             milliseconds, and the memory then held,
#                                      against the previous build
#   the first search of a game         its time against the same search later
#                                      in the same process ("go depth 11" from
#                                      the start, after "ucinewgame" and a
#                                      search of another position)
#   "-bench -fd 14" (BENCH_SMP_DEPTH)  with BENCH_THREADS threads (default 2)
#                                      against one thread in the same run: time
#                                      to that depth, nodes a second, and the
#                                      memory each added thread takes
# The builds (and stockfish) run by turns, and every figure is the best of
# BENCH_RUNS runs (default 5), so that a busy machine disturbs it less; times
# are wall-clock.
#
#   scripts/bench.sh [path/to/vorn [path/to/previous/vorn]]   (default build/vorn)
#   BENCH_DEPTH=12 BENCH_SHORT=7 BENCH_RUNS=5 STOCKFISH=/usr/games/stockfish
set -u
export LC_ALL=C

VORN=${1:-build/vorn}
PREVIOUS=${2:-}
DEPTH=${BENCH_DEPTH:-12}
SHORT=${BENCH_SHORT:-7}
RUNS=${BENCH_RUNS:-5}
SMP_DEPTH=${BENCH_SMP_DEPTH:-14}
THREADS=${BENCH_THREADS:-2}
STOCKFISH=${STOCKFISH:-$(command -v stockfish || echo /usr/games/stockfish)}

for engine in "$VORN" ${PREVIOUS:+"$PREVIOUS"}; do
  if [[ ! -x $engine ]]; then
    echo "no engine at $engine (build it first)" >&2
    exit 1
  fi
done
if [[ ! -x $STOCKFISH ]]; then
  echo "note: no stockfish binary (apt-get install stockfish); its yardsticks are left out" >&2
  STOCKFISH=""
fi

now_us() { local t=${EPOCHREALTIME/./}; echo $((10#$t)); }
ms() { awk -v us="$1" 'BEGIN { printf "%.1f", us / 1000 }'; }
min() { printf '%s\n' "$@" | sort -n | head -1; }
max() { printf '%s\n' "$@" | sort -n | tail -1; }
# ratio NUMERATOR DENOMINATOR
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
# verdict VALUE TARGET at-most|at-least
verdict() {
  awk -v v="$1" -v t="$2" -v how="$3" 'BEGIN {
    ok = (how == "at-most") ? v <= t : v >= t; printf "%s", ok ? "met" : "NOT MET" }'
}

# Microseconds of "-perft -fd 6", start-up included.
vorn_perft_us() {
  local start end
  start=$(now_us)
  "$1" -perft -fd 6 > /dev/null
  end=$(now_us)
  echo $((end - start))
}

# Nodes a second of "-bench -fd N" (the benchmark's own figure).
vorn_bench_nps() {
  "$1" -bench -fd "$2" | awk '/Time Interior Nodes/ { getline; print $5; exit }'
}

# Microseconds, nodes a second and the most memory held (kB) of
# "-bench -fd N -threads T".
vorn_threads_run() {
  python3 - "$@" <<'PY'
import resource, subprocess, sys, time
vorn, depth, threads = sys.argv[1:4]
start = time.monotonic()
out = subprocess.run([vorn, "-bench", "-fd", depth, "-threads", threads], capture_output=True, text=True).stdout
us = int((time.monotonic() - start) * 1e6)
lines = out.splitlines()
nps = next((lines[i + 1].split()[4] for i, l in enumerate(lines) if "Time Interior Nodes" in l and i + 1 < len(lines)), "0")
print(us, nps, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
PY
}

# Microseconds from start-up to the "uciok" line, and the resident memory
# (kB) at that moment.
vorn_uciok() {
  local start line end rss
  start=$(now_us)
  coproc ENGINE { exec "$1"; }
  echo uci >&"${ENGINE[1]}"
  while read -r line <&"${ENGINE[0]}"; do
    [[ $line == uciok* ]] && break
  done
  end=$(now_us)
  rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$ENGINE_PID/status")
  echo quit >&"${ENGINE[1]}"
  wait "$ENGINE_PID" 2>/dev/null
  echo $((end - start)) "$rss"
}

# Microseconds of the first and of a later "go depth 11" from the start
# position in one process, as a GUI drives games: "isready" before each
# search, "ucinewgame" emptying the tables, so that the later search repeats
# the first node for node. A search of another position comes between the
# two: the clearing of the first search's entries would otherwise have left
# the very entries the later search writes in the cache.
vorn_first_search() {
  local line start pass first later
  coproc ENGINE { exec "$1"; }
  printf 'uci\n' >&"${ENGINE[1]}"
  for pass in first other later; do
    printf 'ucinewgame\nisready\n' >&"${ENGINE[1]}"
    while read -r line <&"${ENGINE[0]}"; do [[ $line == readyok* ]] && break; done
    if [[ $pass == other ]]; then
      echo "position fen r1bqk2r/pp2bppp/2p5/3pP3/P2Q1P2/2N1B3/1PP3PP/R4RK1 b kq - 0 1" >&"${ENGINE[1]}"
    else
      echo "position startpos" >&"${ENGINE[1]}"
    fi
    start=$(now_us)
    echo "go depth 11" >&"${ENGINE[1]}"
    while read -r line <&"${ENGINE[0]}"; do [[ $line == bestmove* ]] && break; done
    [[ $pass == first ]] && first=$(($(now_us) - start))
    [[ $pass == later ]] && later=$(($(now_us) - start))
  done
  echo quit >&"${ENGINE[1]}"
  wait "$ENGINE_PID" 2>/dev/null
  echo "$first" "$later"
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
  echo $((end - start))
}

stockfish_nps() {
  "$STOCKFISH" bench 16 1 13 default depth 2>&1 | awk '/Nodes\/second/ { print $NF }'
}

echo "Vorn: $VORN"
[[ -n $PREVIOUS ]] && echo "Previous build: $PREVIOUS"
[[ -n $STOCKFISH ]] && echo "Yardstick: $STOCKFISH"
echo "best of $RUNS runs, the engines by turns"
echo

perft=() prev_perft=() sf_perft=()
nps=() short_nps=() prev_nps=() prev_short_nps=() sf_nps=()
uciok=() rss=() prev_uciok=() prev_rss=()
first=() later=()
smp1_us=() smp1_nps=() smp1_kb=() smpn_us=() smpn_nps=() smpn_kb=()
for ((i = 0; i < RUNS; i++)); do
  perft+=("$(vorn_perft_us "$VORN")")
  [[ -n $PREVIOUS ]] && prev_perft+=("$(vorn_perft_us "$PREVIOUS")")
  [[ -n $STOCKFISH ]] && sf_perft+=("$(stockfish_perft_us)")

  nps+=("$(vorn_bench_nps "$VORN" "$DEPTH")")
  [[ -n $PREVIOUS ]] && prev_nps+=("$(vorn_bench_nps "$PREVIOUS" "$DEPTH")")
  short_nps+=("$(vorn_bench_nps "$VORN" "$SHORT")")
  [[ -n $PREVIOUS ]] && prev_short_nps+=("$(vorn_bench_nps "$PREVIOUS" "$SHORT")")
  [[ -n $STOCKFISH ]] && sf_nps+=("$(stockfish_nps)")

  read -r us kb <<<"$(vorn_uciok "$VORN")"
  uciok+=("$us") rss+=("$kb")
  if [[ -n $PREVIOUS ]]; then
    read -r us kb <<<"$(vorn_uciok "$PREVIOUS")"
    prev_uciok+=("$us") prev_rss+=("$kb")
  fi

  read -r a b <<<"$(vorn_first_search "$VORN")"
  first+=("$a") later+=("$b")

  read -r us n kb <<<"$(vorn_threads_run "$VORN" "$SMP_DEPTH" 1)"
  smp1_us+=("$us") smp1_nps+=("$n") smp1_kb+=("$kb")
  read -r us n kb <<<"$(vorn_threads_run "$VORN" "$SMP_DEPTH" "$THREADS")"
  smpn_us+=("$us") smpn_nps+=("$n") smpn_kb+=("$kb")
done

best_perft=$(min "${perft[@]}")
best_nps=$(max "${nps[@]}")
best_short=$(max "${short_nps[@]}")
best_uciok=$(min "${uciok[@]}")
best_rss=$(min "${rss[@]}")
best_first=$(min "${first[@]}")
best_later=$(min "${later[@]}")

printf 'Vorn perft 6:            %10s ms\n' "$(ms "$best_perft")"
printf 'Vorn -bench -fd %-3s      %10s nodes/s\n' "$DEPTH" "$best_nps"
printf 'Vorn -bench -fd %-3s      %10s nodes/s\n' "$SHORT" "$best_short"
printf 'Vorn uci -> uciok:       %10s ms   %s kB resident\n' "$(ms "$best_uciok")" "$best_rss"
printf 'Vorn first/later search: %10s ms / %s ms (go depth 11)\n' "$(ms "$best_first")" "$(ms "$best_later")"
printf 'Vorn -bench -fd %-3s      %10s ms  %s nodes/s  %s kB (1 thread)\n' "$SMP_DEPTH" \
  "$(ms "$(min "${smp1_us[@]}")")" "$(max "${smp1_nps[@]}")" "$(min "${smp1_kb[@]}")"
printf 'Vorn -bench -fd %-3s      %10s ms  %s nodes/s  %s kB (%s threads)\n' "$SMP_DEPTH" \
  "$(ms "$(min "${smpn_us[@]}")")" "$(max "${smpn_nps[@]}")" "$(min "${smpn_kb[@]}")" "$THREADS"
if [[ -n $PREVIOUS ]]; then
  printf 'previous perft 6:        %10s ms\n' "$(ms "$(min "${prev_perft[@]}")")"
  printf 'previous -bench -fd %-3s  %10s nodes/s\n' "$DEPTH" "$(max "${prev_nps[@]}")"
  printf 'previous -bench -fd %-3s  %10s nodes/s\n' "$SHORT" "$(max "${prev_short_nps[@]}")"
  printf 'previous uci -> uciok:   %10s ms   %s kB resident\n' "$(ms "$(min "${prev_uciok[@]}")")" \
    "$(min "${prev_rss[@]}")"
fi
if [[ -n $STOCKFISH ]]; then
  printf 'stockfish perft 6:       %10s ms\n' "$(ms "$(min "${sf_perft[@]}")")"
  printf 'stockfish bench:         %10s nodes/s (1 thread, depth 13)\n' "$(max "${sf_nps[@]}")"
fi

echo
line() { printf '%-42s %6s   (target %-9s %5s)  %s\n' "$1" "$2" "$3" "$4" "$(verdict "$2" "$4" "$3")"; }
if [[ -n $STOCKFISH ]]; then
  line "perft 6 time, Vorn / stockfish:" "$(ratio "$best_perft" "$(min "${sf_perft[@]}")")" at-most 0.80
  printf '%-42s %6s\n' "search speed, Vorn / stockfish:" "$(ratio "$best_nps" "$(max "${sf_nps[@]}")")"
fi
if [[ -n $PREVIOUS ]]; then
  line "-bench -fd $DEPTH speed, Vorn / previous:" "$(ratio "$best_nps" "$(max "${prev_nps[@]}")")" at-least 1.30
fi
line "-bench -fd $SHORT speed / -fd $DEPTH speed:" "$(ratio "$best_short" "$best_nps")" at-least 0.80
line "uci -> uciok, ms:" "$(ms "$best_uciok")" at-most 20
if [[ -n $PREVIOUS ]]; then
  line "memory after uciok, Vorn / previous:" "$(ratio "$best_rss" "$(min "${prev_rss[@]}")")" at-most 1.00
fi
line "first search time / later search time:" "$(ratio "$best_first" "$best_later")" at-most 1.05
if ((THREADS > 1)); then
  line "time to -fd $SMP_DEPTH, 1 thread / $THREADS:" "$(ratio "$(min "${smp1_us[@]}")" "$(min "${smpn_us[@]}")")" at-least 1.50
  line "nodes/s, $THREADS threads / 1:" "$(ratio "$(max "${smpn_nps[@]}")" "$(max "${smp1_nps[@]}")")" at-least 1.80
  line "MB per added thread:" "$(awk -v a="$(min "${smpn_kb[@]}")" -v b="$(min "${smp1_kb[@]}")" -v t="$THREADS" \
    'BEGIN { printf "%.1f", (a - b) / 1024 / (t - 1) }')" at-most 16
fi
