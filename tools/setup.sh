#!/usr/bin/env bash
# Installs the Debian packages the project needs, skipping those already present: those of
# tools/debian-packages.txt, or of the lists named (tools/windows/debian-packages.txt for the
# Windows build). Runs apt-get directly as root, through sudo otherwise.
#
#   tools/setup.sh [LIST...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -gt 0 ] || set -- "$here/debian-packages.txt"
mapfile -t wanted < <(grep -hvE '^\s*(#|$)' "$@")
missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "setup: installing ${missing[*]}" >&2
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
