#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix of the build tree's own, made on first use
# (about 12 s) and shared by every run after it; nothing outside PREFIX is touched.
#
#   tools/windows/wine-run.sh [--captured] PREFIX PROGRAM.exe [ARGUMENTS...]
#
# Wine's background processes (its server and services) inherit the standard output and error
# of the run that starts them and keep them open long after the program ends, so a caller that
# reads them through a pipe would wait for them. --captured runs the program with its output
# in files and copies them out when it ends, for such callers (ctest); without it the script
# becomes the program itself, for callers whose output goes to files already.
set -euo pipefail
captured=false
if [ "${1:-}" = --captured ]; then
  captured=true
  shift
fi
prefix=$(mkdir -p "$1" && cd "$1" && pwd)
shift
export WINEPREFIX="$prefix"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"  # no .NET or Gecko installers
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEARCH=win64
{
  flock 9
  if [ ! -f "$prefix/system.reg" ]; then
    wineboot --init </dev/null >"$prefix.log" 2>&1 9>&- || { cat "$prefix.log" >&2; exit 1; }
  fi
} 9>"$prefix.lock"
$captured || exec wine "$@"

output=$(mktemp)
errors=$(mktemp)
trap 'rm -f "$output" "$errors"' EXIT
status=0
wine "$@" </dev/null >"$output" 2>"$errors" || status=$?
cat "$output"
cat "$errors" >&2
exit "$status"
