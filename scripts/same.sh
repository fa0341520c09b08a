#!/usr/bin/env bash
# Proves that the working tree behaves byte for byte like a git revision
# (BASE, default HEAD) at fixed depth: both are built, the same cases run on
# both binaries, and their standard output and exit status are compared.
# Run it before committing any change meant not to alter behaviour.
#
#   scripts/same.sh [--base REV] [--repo DIR] [--tree DIR | --work BINARY]
#                   [--base-flags FLAGS] [--work-flags FLAGS]
#
#   --base REV   the revision to compare against (default HEAD)
#   --repo DIR   the git repository BASE comes from (default: this script's);
#                builds and outputs go to DIR/build-same/
#   --tree DIR   the working tree to compare (default: the repository);
#                its vorn target is built in DIR/$BUILD (default build)
#   --work BIN   compare this binary instead of building a tree
#   --base-flags FLAGS, --work-flags FLAGS
#                arguments given to that side's binary before every case's
#                own (words split on blanks): "--work-flags -classic" runs
#                the classic engine of the working tree against the base
#
# BASE is exported with `git archive` to build-same/src-<sha> and built
# (Release, without tests) in build-same/bin-<sha>, once per sha. Each case
# runs both binaries side by side in their own scratch folders under
# build-same/run/, each within SAME_TIMEOUT seconds (default 60). What was
# compared is kept in build-same/out/<case>.{base,work}, the unmasked output
# beside it in <case>.{base,work}.raw.
#
# The cases (input files in scripts/same/):
#   bench -fd 1..10        the six built-in positions, iterated to depth N
#   bench2/bench3 -fd 6    position 5 by the driver and the exact-depth search
#   perft -fd 5            the move tree of the start position
#   perft <fen>            the same from kiwipete, rook-endgame, promotions
#                          and pinned (.fen, loaded with -lpf)
#   pev                    bench.epd's six positions shown and evaluated
#   ts -fd 4               the test-suite search over bench.epd
#   console -fd 4          a game at the console, an illegal move among the
#                          moves, castling, ended by "quit" (console.txt)
#   xboard -fd 5           two xboard games with "post": moves, force mode,
#                          setboard (a mate in one, a king and pawn ending),
#                          "undo" and "remove" (xboard.txt)
#   uci                    a UCI session paced as a GUI paces it: searches
#                          to "go depth N" from the start position, from
#                          kiwipete (a promotion), of a mate in two, with
#                          Ponder on, and of three lines (uci.txt)
#   uci at once            a UCI session read in one go, so that the
#                          search's poll answers "isready" and skips the
#                          position and "go" sent out of turn (uci-at-once.txt)
# -pev and -ts read no input; they are given go.txt, one word that picks no
# protocol, which also served the revisions that read a first word. The
# console and xboard games run with -nobook: an opening book installed on
# the machine would otherwise answer the first moves instead of the search.
#
# The only figures masked are those read from the wall clock: the Time and
# NPS columns of the benchmark's table row, the "time" and "nps" fields
# of UCI info lines, and the test suite's "time ... s" of a position and of
# the run. Everything else, node counts, hash hits and misses and
# their ratios included, is compared as printed; repeated runs of every case
# on one binary print the same bytes.
set -u
export LC_ALL=C

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
inputs=$here/same
repo=$(cd "$here/.." && pwd)
base=HEAD
tree=""
work=""
base_flags=()
work_flags=()
timeout_s=${SAME_TIMEOUT:-60}
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}

usage() { sed -n '7,19p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }

while (($#)); do
  case $1 in
    --base) base=${2:?}; shift 2 ;;
    --repo) repo=$(cd "${2:?}" && pwd) || exit 2; shift 2 ;;
    --tree) tree=$(cd "${2:?}" && pwd) || exit 2; shift 2 ;;
    --work) work=${2:?}; shift 2 ;;
    --base-flags) read -r -a base_flags <<< "${2?}"; shift 2 ;;
    --work-flags) read -r -a work_flags <<< "${2?}"; shift 2 ;;
    -h | --help) usage ;;
    *) echo "unknown argument: $1" >&2; usage ;;
  esac
done
tree=${tree:-$repo}
out_root=$repo/build-same

sha=$(git -C "$repo" rev-parse --verify --quiet "$base^{commit}") || {
  echo "no such revision: $base" >&2
  exit 2
}

# The base binary, built once per sha. The binary appears only when its
# link succeeded, so a build that was cut short is started over.
base_src=$out_root/src-$sha
base_bin_dir=$out_root/bin-$sha
base_bin=$base_bin_dir/vorn
if [[ ! -x $base_bin ]]; then
  echo "building $base (${sha:0:12}) in $base_bin_dir"
  rm -rf "$base_src" "$base_bin_dir"
  mkdir -p "$base_src"
  git -C "$repo" archive "$sha" | tar -x -C "$base_src" || exit 2
  { cmake -S "$base_src" -B "$base_bin_dir" -DCMAKE_BUILD_TYPE=Release -DVORN_TESTS=OFF &&
    cmake --build "$base_bin_dir" --target vorn -j "$jobs"; } > "$out_root/build-$sha.log" 2>&1 || {
    tail -30 "$out_root/build-$sha.log"
    echo "the base did not build (log: $out_root/build-$sha.log)" >&2
    exit 2
  }
fi

# The working binary: given, or the tree's vorn target.
if [[ -z $work ]]; then
  work_build=$tree/${BUILD:-build}
  [[ -f $work_build/CMakeCache.txt ]] || cmake -S "$tree" -B "$work_build" -DCMAKE_BUILD_TYPE=Release > /dev/null || exit 2
  cmake --build "$work_build" --target vorn -j "$jobs" > /dev/null || {
    echo "the working tree did not build" >&2
    exit 2
  }
  work=$work_build/vorn
fi
work=$(cd "$(dirname "$work")" && pwd)/$(basename "$work")
[[ -x $work ]] || { echo "no binary at $work" >&2; exit 2; }

out_dir=$out_root/out
run_dir=$out_root/run
rm -rf "$out_dir" "$run_dir"
mkdir -p "$out_dir" "$run_dir/base" "$run_dir/work"

# The benchmark's table row under its header: Time (first column) and NPS
# (last column) come from the clock; the node counts between stay. The
# blanks that pad the two columns go too, as their width follows the digits.
# The test suite's time of a position and of the whole run come from the
# clock too.
mask() {
  awk '
    masknext { sub(/^ *-?[0-9]+/, "TIME"); sub(/ +-?[0-9]+$/, " NPS"); masknext = 0 }
    /^ +Time Interior Nodes Quiesce Nodes Total Nodes +NPS$/ { masknext = 1 }
    /^info / { gsub(/ time [0-9]+/, " time T"); gsub(/ nps [0-9]+/, " nps N") }
    { gsub(/, time [0-9]+\.[0-9]+ s, nodes /, ", time T s, nodes ") }
    { print }
  '
}

# Feeds a session to the engine a block at a time: a line "#wait TEXT"
# holds the rest back until the engine has printed a line starting with
# TEXT, as a GUI waits for "bestmove" before it sends the next position
# (sent at once, the lines would reach the search's poll of the input,
# which skips a position out of turn). Other lines starting with "#" are
# comments.
feed() {
  local session=$1 line reply
  while IFS= read -r line; do
    case $line in
      '#wait '*)
        while IFS= read -r -t "$timeout_s" reply <&3; do
          printf '%s\n' "$reply"
          [[ $reply == "${line#\#wait }"* ]] && continue 2
        done
        return 1 ;;
      '#'*) ;;
      *) printf '%s\n' "$line" >&4 ;;
    esac
  done < "$session"
  exec 4>&-
  cat <&3
}

# One side of a case: writes <case>.<side>.raw with the exit status last.
# The side's flags come before the case's arguments.
run_side() (
  side=$1 bin=$2 name=$3 stdin=$4
  shift 4
  if [[ $side == base ]]; then set -- ${base_flags[@]+"${base_flags[@]}"} "$@"
  else set -- ${work_flags[@]+"${work_flags[@]}"} "$@"; fi
  raw=$out_dir/$name.$side.raw
  cd "$run_dir/$side" || exit
  if [[ $stdin == paced:* ]]; then
    fifo_in=$run_dir/$side/in.fifo fifo_out=$run_dir/$side/out.fifo
    rm -f "$fifo_in" "$fifo_out" && mkfifo "$fifo_in" "$fifo_out"
    timeout "$timeout_s" "$bin" "$@" < "$fifo_in" > "$fifo_out" 2> "$raw.stderr" &
    pid=$!
    # The engine opens its input first, then its output: the same order
    # here, or both would wait for each other.
    feed "${stdin#paced:}" 4> "$fifo_in" 3< "$fifo_out" > "$raw"
    wait "$pid"
    status=$?
    rm -f "$fifo_in" "$fifo_out"
  else
    timeout "$timeout_s" "$bin" "$@" < "$stdin" > "$raw" 2> "$raw.stderr"
    status=$?
  fi
  printf '\n[exit %d]\n' "$status" >> "$raw"
)

same=0
differs=0
# check NAME STDIN ARGS...: STDIN is a file, or paced:FILE for a session fed
# by feed().
check() {
  local name=$1 file
  file=$(tr -d -- - <<<"$name" | tr -s ' ' _)
  run_side base "$base_bin" "$file" "${@:2}" &
  run_side work "$work" "$file" "${@:2}"
  wait
  for side in base work; do
    mask < "$out_dir/$file.$side.raw" > "$out_dir/$file.$side"
  done
  if grep -q '^\[exit 124\]$' "$out_dir/$file.base" "$out_dir/$file.work"; then
    echo "TIMEOUT $name (over ${timeout_s}s: $out_dir/$file.{base,work})"
    differs=$((differs + 1))
  elif cmp -s "$out_dir/$file.base" "$out_dir/$file.work"; then
    echo "same    $name"
    same=$((same + 1))
  else
    echo "DIFFERS $name"
    diff -u --label "$name (base ${sha:0:12})" --label "$name (work)" "$out_dir/$file.base" "$out_dir/$file.work" |
      head -20 | sed 's/^/        /'
    differs=$((differs + 1))
  fi
}

echo "base: $base (${sha:0:12}) $base_bin${base_flags[@]+ ${base_flags[*]}}"
echo "work: $work${work_flags[@]+ ${work_flags[*]}}"
start=$SECONDS

for n in 1 2 3 4 5 6 7 8 9 10; do
  check "bench -fd $n" /dev/null -bench -fd "$n"
done
check "bench2 -fd 6" /dev/null -bench2 -fd 6
check "bench3 -fd 6" /dev/null -bench3 -fd 6
check "perft -fd 5" /dev/null -perft -fd 5
check "perft kiwipete -fd 5" /dev/null -lpf "$inputs/kiwipete.fen" -perft -fd 5
check "perft rook-endgame -fd 5" /dev/null -lpf "$inputs/rook-endgame.fen" -perft -fd 5
check "perft promotions -fd 5" /dev/null -lpf "$inputs/promotions.fen" -perft -fd 5
check "perft pinned -fd 5" /dev/null -lpf "$inputs/pinned.fen" -perft -fd 5
check "pev" "$inputs/go.txt" -pev "$inputs/bench.epd"
check "ts -fd 4" "$inputs/go.txt" -ts "$inputs/bench.epd" -fd 4
check "console -fd 4" "$inputs/console.txt" -fd 4 -nobook
check "xboard -fd 5" "$inputs/xboard.txt" -fd 5 -nobook
check "uci" "paced:$inputs/uci.txt"
check "uci at once" "$inputs/uci-at-once.txt"

echo "$same same, $differs differ ($((SECONDS - start)) s; outputs in $out_dir)"
((differs == 0))
