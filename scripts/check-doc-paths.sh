#!/usr/bin/env bash
# Checks that the guides name only files, folders and levels the tree has:
# every path in backticks in README.md and DEVELOPERS.md (one with a slash,
# or a source file's name), and every level id the guides give.
#   bash scripts/check-doc-paths.sh [-v]
# -v lists each claim checked. Exits 1 when a claim matches nothing.
set -uo pipefail
cd "$(dirname "$0")/.."
verbose=${1:-}
bad=0
checked=0
levels=data/game/scripts/default/levels.lua

say() { [ "$verbose" = -v ] && echo "$@"; return 0; }

# Where a path named in the guides may be rooted: the repository, the
# sources (includes are rooted at src/, and the presentation's notes name
# its part folders), the game's data (scripts are named as the game sees
# them), the tests.
found() {
  local p=$1 root
  for root in . src src/visuals data/game data/game/scripts tests; do
    # `save_game.*` and `data/textures/*.txt` name a family of files;
    # `bench/bench_frame` a program built from its source.
    if compgen -G "$root/$p" >/dev/null || [ -f "$root/$p.cpp" ]; then return 0; fi
  done
  return 1
}

# Bare file names ("`hub.lua`") are looked for anywhere in the tree.
files=$(git ls-files)
found_anywhere() {
  grep -q -e "/$1\$" -e "^$1\$" <<<"$files"
}

for doc in README.md DEVELOPERS.md; do
  while IFS= read -r token; do
    p=${token%%:*}             # `file.cpp:12` names a line of the file
    p=${p%% *}                 # `tools/modelshot <game> <png>`: the tool
    p=${p%/}
    case $p in
      *'<'*|*'...'*|*'…'*|.*) continue ;;    # a pattern or an extension, not a path
      build/*|game/*|profiles/*|language/*|gamedata/*|max/*|parameters\\*) continue ;;  # made at run time
      http*) continue ;;
    esac
    if [[ $p == */* ]]; then
      checked=$((checked + 1))
      if found "$p"; then say "ok   $doc: $p"; else echo "MISSING $doc: $p"; bad=1; fi
    elif [[ $p =~ \.(cpp|h|lua|cmake|sh|md|py|json)$ ]]; then
      checked=$((checked + 1))
      if found_anywhere "$p"; then say "ok   $doc: $p"; else echo "MISSING $doc: $p"; bad=1; fi
    fi
  done < <(grep -o '`[^`]*`' "$doc" | tr -d '`' | sort -u)
  # Level ids: the guides name levels by their six-digit ids (100001...).
  while IFS= read -r id; do
    checked=$((checked + 1))
    if grep -q "id = $id\b\|{ $id," "$levels"; then say "ok   $doc: level $id"; else
      echo "MISSING $doc: level $id"; bad=1; fi
  done < <(grep -oE '\b[1-4]0000[0-9]\b' "$doc" | sort -u)
done
echo "$checked claims checked"
exit $bad
