#!/usr/bin/env bash
# Checks the folder graph of README's "How the code is laid out": which folder may include
# which, that a folder's hooks/ headers serve only tests and tools, that only platform/
# includes a third-party or system header, that only platform/ calls glibc's own extensions,
# and that no type name is defined both in platform/ and in the program. Prints one line per
# offending include, call or type and fails when there is any. Checks the tree the script is
# in, or ROOT.
#
#   tools/check-layers.sh [ROOT]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# Folders each program folder may include besides itself and the platform's public headers.
declare -A allowed=(
  [app]="music gfx frame support"
  [music]="app support"
  [gfx]="app music metaballs effects support"
  [metaballs]="gfx support"
  [frame]="app music gfx metaballs effects support"
  [effects]="app music gfx support"
  [support]=""
)
public_platform_headers="platform/bass.h platform/desktop_bus.h platform/start_options.h platform/c_runtime.h"
# Win32 and Direct3D 9 by their real headers: Windows' own, or the layers of platform/include/.
system_platform_headers="<windows.h> <d3d9.h>"
# System headers a program file may include all the same: the command line is read with getopt_long.
system_header_exceptions="app/command_line.cpp:<getopt.h>"

faults=0
fault() {
  echo "$1: $2" >&2
  faults=$((faults + 1))
}

for folder in "${!allowed[@]}"; do
  while IFS= read -r match; do
    where=$(cut -d: -f1,2 <<< "$match")
    header=$(sed -E 's/^[^:]*:[0-9]+:[[:space:]]*#[[:space:]]*include[[:space:]]*([<"][^>"]*[>"]).*/\1/' <<< "$match")
    case $header in
      \<*\>)
        # Only the C++ standard library: its headers have neither an extension nor a folder.
        [[ $header =~ ^\<[a-z_0-9]+\>$ || " $system_platform_headers " == *" $header "* ||
           " $system_header_exceptions " == *" ${where%%:*}:$header "* ]] ||
          fault "$where" "includes $header: third-party and system headers belong in platform/"
        ;;
      \"*\")
        path=${header//\"/}
        target=${path%%/*}
        defining=${path/\/hooks\//\/}
        if [[ $target != platform && $path == */hooks/* ]]; then
          # A folder's hooks are for tests, benchmarks and tools; in the program only the file
          # that defines what a hooks header declares includes it (gfx/hooks/x.h: gfx/x.cpp).
          [[ ${where%%:*} == "${defining%.h}.cpp" ]] ||
            fault "$where" "includes $path: hooks are for tests, benchmarks and tools"
        elif [[ $target == platform ]]; then
          [[ " $public_platform_headers " == *" $path "* ]] ||
            fault "$where" "includes $path: the program sees only the platform's public headers"
        elif [[ $target != "$folder" && " ${allowed[$folder]} " != *" $target "* ]]; then
          fault "$where" "includes $path: $folder/ may not include $target/"
        fi
        ;;
    esac
  done < <(grep -rnE --include='*.cpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include' "$folder" || true)
done

# Calls of glibc's own extensions, which its standard headers declare all the same: the
# reentrant random generators and GNU string and path functions. The program reaches them only
# through the platform.
glibc_calls='random_r|srandom_r|initstate_r|setstate_r|[a-z]*rand48_r|seed48_r|lcong48_r'
glibc_calls+='|mempcpy|strchrnul|rawmemchr|memrchr|strverscmp|canonicalize_file_name|get_current_dir_name'
glibc_call_pattern="\\b($glibc_calls)[[:space:]]*\\("
while IFS= read -r match; do
  where=$(cut -d: -f1,2 <<< "$match")
  name=$(grep -oE "$glibc_call_pattern" <<< "${match#*:*:}" | head -n 1 | tr -d ' (')
  fault "$where" "calls $name: glibc's own extensions belong in platform/"
done < <(grep -rnE --include='*.cpp' --include='*.h' "$glibc_call_pattern" "${!allowed[@]}" || true)

# The platform includes nothing of the program but printableName and stderrLine, a leaf of the
# standard library.
while IFS= read -r match; do
  where=$(cut -d: -f1,2 <<< "$match")
  path=$(sed -E 's/^[^:]*:[0-9]+:[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<< "$match")
  target=${path%%/*}
  [[ $target == platform || $path == support/printable_name.h || $path == support/stderr_line.h ]] ||
    fault "$where" "includes $path: the platform may not include the program's code"
done < <(grep -rnE --include='*.cpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' platform || true)

# The platform and the program link into one executable: a struct or class that both define by
# the same name is two definitions of one type, and each side may use the other's.
type_definitions() {
  grep -rhoE --include='*.cpp' --include='*.h' \
    '^(struct|class) [A-Za-z_][A-Za-z0-9_]*( final)?( *:[^;{]*)? *\{' "$@" | awk '{print $2}' | sort -u
}
while IFS= read -r name; do
  fault "platform/ and the program" "both define a type named $name"
done < <(comm -12 <(type_definitions platform) <(type_definitions "${!allowed[@]}"))

# The platform knows none of the program's keys: a player key ('B', 'C', 'V', 'X', 'Y') spelled
# as a character literal in its code (comments and strings aside) belongs in the program. The
# program's screen layout is kept out by the rule above.
strip_comments_and_strings='
  {
    out = ""; n = length($0); i = 1
    while (i <= n) {
      two = substr($0, i, 2); c = substr($0, i, 1)
      if (block) { if (two == "*/") { block = 0; i += 2 } else i++; continue }
      if (two == "//") break
      if (two == "/*") { block = 1; i += 2; continue }
      if (c == "\"" || (c == "\047" && substr($0, i - 1, 1) !~ /[0-9]/)) {
        j = i + 1
        while (j <= n && substr($0, j, 1) != c) j += substr($0, j, 1) == "\\" ? 2 : 1
        if (c == "\047") out = out substr($0, i, j - i + 1)
        i = j + 1
        continue
      }
      out = out c; i++
    }
    print out
  }'
while IFS= read -r file; do
  while IFS= read -r match; do
    key=$(grep -oE "'[BCVXY]'" <<< "${match#*:}" | head -n 1)
    fault "$file:${match%%:*}" "spells the program's key $key: the platform knows no program keys"
  done < <(awk "$strip_comments_and_strings" "$file" | grep -nE "'[BCVXY]'" || true)
done < <(find platform -type f \( -name '*.cpp' -o -name '*.h' \) | sort)

if ((faults > 0)); then
  echo "check-layers: $faults include(s) or call(s) or key(s) against the folder graph" >&2
  exit 1
fi
echo "check-layers: the folder graph holds"
