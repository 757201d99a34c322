#!/usr/bin/env bash
# Checks the commit messages made since the project adopted its message rule (commit 56f6d52):
# a subject of at most 72 characters, and a blank line between it and any body. Prints each
# commit that strays and fails when one does. Older history is left as it is.
#
#   tools/check-commits.sh [REVISION]   (default HEAD)
set -euo pipefail
cd "$(dirname "$0")/.."
since=56f6d52
head=${1:-HEAD}
if ! git cat-file -e "$since^{commit}" 2>/dev/null; then
  echo "check-commits: $since is not in this clone (shallow?): nothing checked" >&2
  exit 0
fi
status=0
while read -r commit; do
  subject=$(git log -1 --format=%s "$commit")
  second=$(git log -1 --format=%B "$commit" | sed -n 2p)
  if ((${#subject} > 72)); then
    echo "check-commits: $commit: subject of ${#subject} characters (at most 72): $subject"
    status=1
  fi
  if [[ -n $second ]]; then
    echo "check-commits: $commit: no blank line after the subject"
    status=1
  fi
done < <(git rev-list "$since..$head")
exit "$status"
