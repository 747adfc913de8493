#!/usr/bin/env bash
# Checks that the guides name only files, folders, levels and functions the
# tree has:
# - every path in backticks in README.md and DEVELOPERS.md (one with a slash,
#   or a source file's name), also when the backticks span a line break;
# - every level id the guides give;
# - every function, class or constant the guides place in a source file:
#   "`Name` (`file`)", "`Name` in `file`", "(`Name`, `file`)",
#   "`file`: `A`, `B`" and "`file` (`A`, `B`)", across line breaks too.
#   The name must be declared or defined in that file (a test suite or test
#   named by its TEST line; a console command, all upper case, and a Lua
#   name named there).
#   bash scripts/check-doc-paths.sh [-v]
# -v lists each claim checked. Exits 1 when a claim does not hold.
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
roots=(. src src/visuals data/game data/game/scripts tests)
found() {
  local p=$1 root
  for root in "${roots[@]}"; do
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

# Each backticked span of a guide on one line, a span broken over lines
# joined with one space.
spans() {
  perl -0777 -ne 'while (/`([^`]*)`/g) { my $t = $1; $t =~ s/\s*\n\s*/ /g; print "$t\n" }' "$1"
}

# Each "name<TAB>file" claim of a guide, from the forms listed above.
name_claims() {
  perl -0777 -ne '
    s/\s*\n\s*/ /g;
    my $id = qr/[A-Za-z_]\w*(?:::[A-Za-z_]\w*)*(?:\([\w, ]*\))?/;
    my $file = qr/[\w.\/*-]+\.(?:h|cpp|lua|\*)(?::[\d,-]+)?/;
    my $list = qr/`$id`(?:(?:,| and| or) `$id`)*/;
    my @out;
    while (/`($id)` (?:\(|in )`($file)`/g) { push @out, "$1\t$2" }
    while (/\(`($id)`, `($file)`\)/g) { push @out, "$1\t$2" }
    while (/`($file)`(?:: | \()($list)/g) {
      my ($f, $names) = ($1, $2);
      push @out, "$_\t$f" for $names =~ /`([^`]+)`/g;
    }
    print "$_\n" for @out;' "$1" | sort -u
}

# The source files a named file stands for: itself (from any root), a family
# `x.*`, or a bare name anywhere in the tree.
files_for() {
  local f=${1%%:*} root
  if [[ $f != */* ]]; then
    grep -e "/${f//\*/[^/]*}\$" -e "^${f//\*/[^/]*}\$" <<<"$files"
    return
  fi
  for root in "${roots[@]}"; do
    compgen -G "$root/$f" && return
  done
}

# Whether a file declares or defines `name` (its last part when qualified):
# a type, alias, macro, function, variable, constant or enumerator of that
# name, outside comments. A call or a use is not enough.
declares() {
  local name=${1%%(*} file=$2
  name=${name##*::}
  case $file in
    *.lua) grep -qw -- "$name" "$file"; return ;;
  esac
  if [[ $name =~ ^[A-Z0-9_]+$ ]] && grep -qw -- "$name" "$file"; then return 0; fi
  NAME=$name perl -0777 -ne '
    my $n = $ENV{NAME};
    s{/\*.*?\*/}{}gs; s{//[^\n]*}{}g;
    my $type = qr/(?:class|struct|union|enum(?:\s+class)?|namespace|using|typedef[^;]*)\s+/;
    my $before = qr/(?<!\breturn)(?<!\belse)(?<!\bnew)[\w>&*\]]\s+[&*]*(?:\w+(?:<[^<>]*>)?::)*/;
    exit 0 if /\b$type\Q$n\E\b/ || /#\s*define\s+\Q$n\E\b/;
    exit 0 if /$before\Q$n\E\s*(?:\(|\[|=|\{|;)/;
    exit 0 if /^\s*\Q$n\E\s*(?:=(?!=)|,|\n)/m;
    exit 0 if /\bRC_\w+\(\s*\Q$n\E\b/ || /\bTEST\w*\(\s*(?:\w+\s*,\s*)?\Q$n\E\b/;
    exit 1;' "$file"
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
  done < <(spans "$doc" | sort -u)
  # Level ids: the guides name levels by their six-digit ids (100001...).
  while IFS= read -r id; do
    checked=$((checked + 1))
    if grep -q "id = $id\b\|{ $id," "$levels"; then say "ok   $doc: level $id"; else
      echo "MISSING $doc: level $id"; bad=1; fi
  done < <(grep -oE '\b[1-4]0000[0-9]\b' "$doc" | sort -u)
  while IFS=$'\t' read -r name file; do
    checked=$((checked + 1))
    held=no
    while IFS= read -r f; do
      [ -n "$f" ] && declares "$name" "$f" && held=yes && break
    done < <(files_for "$file")
    if [ $held = yes ]; then say "ok   $doc: $name in $file"; else
      echo "NOT IN FILE $doc: $name is not declared in $file"; bad=1; fi
  done < <(name_claims "$doc")
done
echo "$checked claims checked"
exit $bad
