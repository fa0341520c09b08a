#!/usr/bin/env bash
# The include graph between the engine's folders, and every include that
# points up the layers: board <- movegen <- eval <- search <- engine, with
# tools beside engine (a folder may include its own and lower folders'
# headers; tools may include any folder but engine, and engine may include
# tools). Exits 1 when any include points up, so it can guard the layering.
#
#   scripts/layers.sh [tree]      (default: the tree this script is in)
set -u
export LC_ALL=C

tree=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
cd "$tree" || exit 2

folders="board movegen eval search engine tools"
for f in $folders; do
  [[ -d $f ]] || { echo "no folder $tree/$f" >&2; exit 2; }
done

# file:line:folder:header of every #include "folder/..." between the engine's folders.
includes=$(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z]+/' \
  $(for f in $folders; do ls "$f"/*.cpp "$f"/*.h 2>/dev/null; done) |
  sed -E 's/^([^:]+):([0-9]+):.*#[[:space:]]*include[[:space:]]*"(([a-z]+)\/[^"]*)".*$/\1:\2:\4:\3/')

awk -F: -v folders="$folders" -v tree="$tree" '
  BEGIN {
    n = split(folders, name, " ")
    for (i = 1; i <= n; i++) known[name[i]] = 1
    # The layer of each folder; tools and engine share the top one, and
    # the one rule that separates them is checked on its own.
    layer["board"] = 1; layer["movegen"] = 2; layer["eval"] = 3
    layer["search"] = 4; layer["engine"] = 5; layer["tools"] = 5
  }
  {
    split($1, path, "/")
    from = path[1]; to = $3
    if (!(to in known)) next
    count[from, to]++
    if (layer[to] > layer[from] || (from == "tools" && to == "engine"))
      up[++ups] = sprintf("  %-9s -> %-9s %s:%s  %s", from, to, $1, $2, $4)
  }
  END {
    printf "Includes between folders in %s (row includes column):\n\n%-9s", tree, ""
    for (j = 1; j <= n; j++) printf "%9s", name[j]
    printf "\n"
    for (i = 1; i <= n; i++) {
      printf "%-9s", name[i]
      for (j = 1; j <= n; j++) printf "%9s", ((name[i], name[j]) in count) ? count[name[i], name[j]] : "."
      printf "\n"
    }
    printf "\nPairs (from -> to: #include lines):\n"
    for (i = 1; i <= n; i++)
      for (j = 1; j <= n; j++)
        if (i != j && (name[i], name[j]) in count)
          printf "  %-9s -> %-9s %d\n", name[i], name[j], count[name[i], name[j]]
    printf "\nIncludes that point up the layers: %d\n", ups
    for (k = 1; k <= ups; k++) print up[k]
    exit ups > 0
  }
' <<<"$includes"
