#!/usr/bin/env bash
# Checks every C++ file of the repository (program, platform, tests, tools, benchmarks) against
# .clang-format (no file is changed) and .clang-tidy (with the compile commands of BUILD, default
# build/). Prints what it finds and fails when anything is found.
#
#   tools/check-style.sh [--format-only | --tidy-only] [BUILD]
set -euo pipefail
cd "$(dirname "$0")/.."

format=1 tidy=1
case "${1:-}" in
  --format-only) tidy=0; shift ;;
  --tidy-only) format=0; shift ;;
esac
build=${1:-build}

mapfile -t sources < <(git ls-files '*.cpp' '*.h')

status=0
if ((format)); then
  clang-format --dry-run -Werror "${sources[@]}" || status=1
fi
if ((tidy)); then
  if [[ ! -f $build/compile_commands.json ]]; then
    echo "check-style: no $build/compile_commands.json: configure the build first (make build)" >&2
    exit 1
  fi
  mapfile -t units < <(printf '%s\n' "${sources[@]}" | grep '\.cpp$')
  # One clang-tidy per core; headers are checked through the files that include them. The
  # Windows side (the folders named windows/) has no compile commands in a Linux build: its
  # compiler's warnings check it.
  printf '%s\n' "${units[@]}" | grep -v '/windows/' |
    xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet --warnings-as-errors='*' || status=1
fi
exit "$status"
