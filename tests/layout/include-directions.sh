#!/usr/bin/env bash
# Checks which way the product's dependencies run:
#   include-directions.sh SOURCE_ROOT CORE_SOURCES_FILE
# Every `#include "folder/..."` in product code must name a folder that its own folder may use,
# and no file of the plain C++ libraries (the sources listed in CORE_SOURCES_FILE, their headers
# and every header they include) may include Qt, SDL or a window system. Prints each include
# that runs the wrong way, as FILE:LINE, and fails if there is one.
set -euo pipefail
root="$1"
core_list="$2"
cd "$root"

# The folders each folder may include from, besides its own.
declare -A allowed=(
    [platform]=""
    [game]="platform"
    [record]="game platform"
    [sound]="game platform"
    [results]="game platform"
    [ui]="record sound results game platform"
    [tools]="platform"
)
top_level_folders="platform game record sound results ui"

faults=0
fault() {
    echo "$1: $2" >&2
    faults=$((faults + 1))
}

folder_may_use() {
    local from="$1" to="$2"
    [ "$from" = "$to" ] && return 0
    local f
    for f in ${allowed[$from]}; do
        [ "$f" = "$to" ] && return 0
    done
    return 1
}

product_files() {
    local folder
    for folder in $top_level_folders tools; do
        find "$folder" -type f \( -name '*.h' -o -name '*.cpp' \)
    done
    find . -maxdepth 1 -type f \( -name '*.h' -o -name '*.cpp' \) -printf '%P\n'
}

while IFS= read -r file; do
    from="${file%%/*}"
    [ "$from" = "$file" ] && continue  # App and main, the composition root, use everything
    while IFS=: read -r line text; do
        included="$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$text")"
        to="${included%%/*}"
        [ "$to" = "$included" ] && continue  # a generated header beside the build (ProgramInfo.h)
        if [ -z "${allowed[$to]+known}" ] && [ "$to" != tools ]; then
            fault "$file:$line" "includes \"$included\", outside the product's folders"
        elif ! folder_may_use "$from" "$to"; then
            fault "$file:$line" "includes \"$included\": $from/ may not use $to/"
        fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
done < <(product_files)

# The plain C++ part: the listed sources, the header beside each, and every header they include.
declare -A core=()
pending=()
while IFS= read -r source; do
    [ -n "$source" ] || continue
    source="$(realpath --relative-to="$root" "$source")"
    pending+=("$source" "${source%.cpp}.h")
done < "$core_list"
while [ ${#pending[@]} -gt 0 ]; do
    file="${pending[0]}"
    pending=("${pending[@]:1}")
    [ -f "$file" ] && [ -z "${core[$file]+seen}" ] || continue
    core[$file]=1
    while IFS= read -r included; do
        pending+=("$included")
    done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*\/[^"]*)".*/\1/p' "$file")
done
for file in "${!core[@]}"; do
    while IFS=: read -r line text; do
        fault "$file:$line" "a plain C++ file includes${text#*include}"
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(Q[A-Za-z]*|Qt[A-Za-z]*/[^>]*|SDL[^>]*|fluidsynth[^>]*|xcb/[^>]*|X11/[^>]*|wayland-[^>]*)>' "$file" || true)
done

if [ "$faults" -gt 0 ]; then
    echo "include-directions: $faults include(s) run against the layout" >&2
    exit 1
fi
echo "include-directions: ${#core[@]} plain C++ files; every include runs the allowed way"
