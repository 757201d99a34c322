#!/usr/bin/env bash
# Memcheck over the real program: zolta-frames runs WinMain for a few hundred frames on the
# virtual clock, with the default tunes, under valgrind. Fails on any invalid access, use of
# uninitialised memory or definite leak. Mesa draws on the calling thread (LP_NUM_THREADS=0):
# memcheck runs threads one at a time anyway. Noise of the system's libraries is in memcheck.supp.
#
#   memcheck_frames.sh ZOLTA_FRAMES SOURCE_DIR [FRAMES]
set -euo pipefail
frames_tool=$(realpath "$1")
source_dir=$(realpath "$2")
frames=${3:-300}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/data"
cp -r "$source_dir/data/msx" "$scratch/data/msx"
cd "$scratch"

LP_NUM_THREADS=0 SDL_AUDIODRIVER=dummy valgrind \
  --error-exitcode=99 --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite \
  --num-callers=40 --suppressions="$source_dir/tests/valgrind/memcheck.supp" \
  "$frames_tool" --frames "$frames" --out "$scratch/shots"
