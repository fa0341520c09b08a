#!/usr/bin/env bash
# An SPRT of the working tree's Vorn against a base: a git revision (built
# once per commit in build-same/bin-<sha>/, as `make same` builds it) or a
# binary. Plays game pairs from the balanced openings with vorn-games until
# the test decides, printing the tally and the log-likelihood ratio as it
# goes.
#
#   scripts/sprt.sh --base REV|BINARY [--new BINARY] [--tc 8+0.08 | --nodes N]
#                   [--elo0 0] [--elo1 5] [--alpha 0.05] [--beta 0.05]
#                   [--concurrency N] [--openings FILE] [--pgn FILE]
#                   [--new-arg ARG]... [--base-arg ARG]... [-- MORE vorn-games ARGUMENTS]
#
# --new-arg and --base-arg add a command-line argument to one side (after
# -uci), e.g. --new-arg -classic; the arguments after -- go to vorn-games
# as they are (--resign, --draw, --rounds, option.NAME=VALUE of an engine
# cannot be given there: use vorn-games directly).
set -eu
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
base="" new="" tc=8+0.08 nodes="" elo0=0 elo1=5 alpha=0.05 beta=0.05
concurrency=$(nproc 2>/dev/null || echo 2)
openings=$repo/scripts/openings-2000.epd
pgn=""
new_args=() base_args=() more=()
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}

usage() { sed -n '8,12p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }

while (($#)); do
  case $1 in
    --base) base=${2:?}; shift 2 ;;
    --new) new=${2:?}; shift 2 ;;
    --tc) tc=${2:?}; shift 2 ;;
    --nodes) nodes=${2:?}; shift 2 ;;
    --elo0) elo0=${2:?}; shift 2 ;;
    --elo1) elo1=${2:?}; shift 2 ;;
    --alpha) alpha=${2:?}; shift 2 ;;
    --beta) beta=${2:?}; shift 2 ;;
    --concurrency) concurrency=${2:?}; shift 2 ;;
    --openings) openings=${2:?}; shift 2 ;;
    --pgn) pgn=${2:?}; shift 2 ;;
    --new-arg) new_args+=("arg=${2:?}"); shift 2 ;;
    --base-arg) base_args+=("arg=${2:?}"); shift 2 ;;
    --) shift; more=("$@"); break ;;
    -h | --help) usage ;;
    *) echo "unknown argument: $1" >&2; usage ;;
  esac
done
[[ -n $base ]] || { echo "--base REV|BINARY is needed" >&2; usage; }

# The base: a binary as it is, or a revision built once.
if [[ -x $base && ! -d $base ]]; then
  base_bin=$(cd "$(dirname "$base")" && pwd)/$(basename "$base")
  base_name=base
else
  sha=$(git -C "$repo" rev-parse --verify --quiet "$base^{commit}") || { echo "no such revision: $base" >&2; exit 2; }
  out_root=$repo/build-same
  base_bin=$out_root/bin-$sha/vorn
  base_name=base-${sha:0:8}
  if [[ ! -x $base_bin ]]; then
    echo "building $base (${sha:0:12}) in $out_root/bin-$sha"
    rm -rf "$out_root/src-$sha" "$out_root/bin-$sha"
    mkdir -p "$out_root/src-$sha"
    git -C "$repo" archive "$sha" | tar -x -C "$out_root/src-$sha"
    { cmake -S "$out_root/src-$sha" -B "$out_root/bin-$sha" -DCMAKE_BUILD_TYPE=Release -DVORN_TESTS=OFF &&
      cmake --build "$out_root/bin-$sha" --target vorn -j "$jobs"; } > "$out_root/build-$sha.log" 2>&1 || {
      tail -30 "$out_root/build-$sha.log"
      echo "the base did not build (log: $out_root/build-$sha.log)" >&2
      exit 2
    }
  fi
fi
new=${new:-$repo/${BUILD:-build}/vorn}
runner=$repo/${BUILD:-build}/vorn-games
[[ -x $new ]] || { echo "no binary at $new" >&2; exit 2; }
[[ -x $runner ]] || { echo "no vorn-games at $runner (make build)" >&2; exit 2; }

limit=(--tc "$tc")
[[ -n $nodes ]] && limit=(--nodes "$nodes")
output=()
[[ -n $pgn ]] && output=(--pgn "$pgn")
exec "$runner" --engine cmd="$new" arg=-uci ${new_args[@]+"${new_args[@]}"} name=new \
  --engine cmd="$base_bin" arg=-uci ${base_args[@]+"${base_args[@]}"} name="$base_name" \
  "${limit[@]}" --concurrency "$concurrency" --openings "$openings" ${output[@]+"${output[@]}"} \
  --sprt elo0="$elo0" elo1="$elo1" alpha="$alpha" beta="$beta" ${more[@]+"${more[@]}"}
