#!/usr/bin/env bash
# Checks that the source folders depend one way: a file in src/<folder>/ includes headers of its own folder and of
# the folders before it in the layer order below, never of a folder after it. Prints file:line for every include
# that runs upward and exits 1; exits 0 when there is none.
#   check-layers.sh [ROOT]   (default: the repository this script is in)
# A folder of src/ that the order does not name fails too, so that a new folder gets its place here and in
# CMakeLists.txt, whose folder libraries are declared in the same order.
#
# Folders of hosts of the library (the bridge) stand outside the order: they reach the library through its exports
# only, so they may include their own headers and the platform's, and no other folder's.
set -euo pipefail

# The layer order, lowest first.
layers=(platform host data frame values layers domains catalogue services module)
# Host folders, and the one layer they may see.
host_folders=(bridge)
host_visible=platform

root="${1:-$(dirname "$0")/..}"
cd "$root"

declare -A rank
for i in "${!layers[@]}"; do
  rank[${layers[$i]}]=$i
done
declare -A is_host
for folder in "${host_folders[@]}"; do
  is_host[$folder]=1
done

# file:line:#include "other/..." for every include in src/$1 of a header in a folder.
includes_of() {
  grep -rnoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' "src/$1" |
    sed -E 's/:[[:space:]]*#[[:space:]]*include[[:space:]]*"/:#include "/' || true
}

# Whether a file of folder $1 may include a header of folder $2 (a folder of src/, or tavi/ of include/).
may_include() {
  local folder="$1" included="$2"
  [[ "$included" == "$folder" ]] && return 0
  if [[ -n "${is_host[$folder]+set}" ]]; then
    [[ "$included" == "$host_visible" ]] || [[ -z "${rank[$included]+set}" && -z "${is_host[$included]+set}" ]]
    return
  fi
  [[ -z "${is_host[$included]+set}" ]] && { [[ -z "${rank[$included]+set}" ]] || ((rank[$included] <= rank[$folder])); }
}

failed=0
for dir in src/*/; do
  folder="$(basename "$dir")"
  if [[ -z "${rank[$folder]+set}" && -z "${is_host[$folder]+set}" ]]; then
    echo "src/$folder: no place in the layer order of scripts/check-layers.sh" >&2
    failed=1
    continue
  fi
  while IFS= read -r hit; do
    [[ -n "$hit" ]] || continue
    included="${hit#*#include \"}"
    included="${included%%/*}"
    if ! may_include "$folder" "$included"; then
      if [[ -n "${is_host[$folder]+set}" ]]; then
        echo "${hit%%:#*}: $folder, a host of the library, includes a header of $included" >&2
      else
        echo "${hit%%:#*}: $folder includes a header of $included, a later layer" >&2
      fi
      failed=1
    fi
  done < <(includes_of "$folder")
  # A relative include could reach another folder past this check.
  if grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"\.\./' "src/$folder" >&2; then
    echo "src/$folder: relative includes above the folder (include \"folder/...\" from src/ instead)" >&2
    failed=1
  fi
done

# The build declares the folder libraries in the same order.
if [[ -f CMakeLists.txt ]]; then
  declared="$(sed -nE 's/^tavi_folder_library\(tavi_[A-Za-z_]+ ([A-Za-z_]+) .*/\1/p' CMakeLists.txt | tr '\n' ' ')"
  if [[ "$declared" != "${layers[*]} " ]]; then
    echo "CMakeLists.txt declares the folder libraries in the order: $declared" >&2
    echo "scripts/check-layers.sh has the order: ${layers[*]}" >&2
    failed=1
  fi
fi

if ((failed)); then
  echo "layer check failed" >&2
  exit 1
fi
echo "layers: every include runs downward (${layers[*]})"
