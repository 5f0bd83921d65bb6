#!/usr/bin/env bash
# cli-man-page.sh CLI VERSION OUT: writes the manual page of tarvelo96-cli, made from nothing but the
# program's own help texts: help2man turns `CLI --help` into the page, and every command's `--help`
# (the commands of a group too, as `todo add`) becomes a subsection of COMMANDS. The page can therefore
# never tell something other than `tarvelo96-cli help` does.
set -euo pipefail
cli=$1
version=$2
out=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The commands a help text lists under "Subcommands:", one name a line.
commands_of() {
  awk '/^Subcommands:$/ { on = 1; next } on && /^$/ { exit } on && /^  [^ ]/ { print $1 }'
}

# One command's help text in roff: the description, the usage with the command in bold, each
# positional, option and command as a tagged paragraph, the closing notes as paragraphs.
to_roff() {
  awk -v cmd="$1" '
    function esc(s) {
      gsub(/\\/, "\\e", s)
      gsub(/-/, "\\-", s)
      if (s ~ /^[.'\'']/) s = "\\&" s
      return s
    }
    NR == 1 { print esc($0); next }
    /^Usage: / {
      print ".PP"
      print "Usage: \\fB" esc(cmd) "\\fR" esc(substr($0, length("Usage: ") + length(cmd) + 1))
      next
    }
    /^$/ { next }
    /^[A-Z][A-Za-z]*:$/ { print ".PP"; print "\\fI" $0 "\\fR"; next }
    /^              [^ ]/ { sub(/^ +/, ""); print esc($0); next }
    /^  [^ ]/ {
      line = substr($0, 3)
      term = line; text = ""
      if (match(line, /   */)) { term = substr(line, 1, RSTART - 1); text = substr(line, RSTART + RLENGTH) }
      print ".TP"
      print "\\fB" esc(term) "\\fR"
      if (text != "") print esc(text)
      next
    }
    { print ".PP"; print esc($0) }
  '
}

# Each command, then the commands of each group, in the order the help lists them.
describe() {
  local path=$1 help
  help=$("$cli" $path --help)
  printf '.SS "%s"\n' "$path"
  printf '%s\n' "$help" | to_roff "tarvelo96-cli $path"
  for sub in $(printf '%s\n' "$help" | commands_of); do
    describe "$path $sub"
  done
}

{
  echo '[COMMANDS]'
  for command in $("$cli" --help | commands_of); do
    describe "$command"
  done
  cat "$here/cli-man-page.h2m"
} >"$work/include.h2m"

help2man --no-info --no-discard-stderr --section=1 --version-string="$version" \
  --name="the Tarvelo '96 scheduler without a display" --include="$work/include.h2m" \
  --output="$work/page.1" "$cli"
mv "$work/page.1" "$out"
