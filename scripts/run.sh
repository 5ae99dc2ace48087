#!/usr/bin/env bash
# The main job on a fresh machine: installs what is missing, builds, and runs tavigp.
#   run.sh [tavigp arguments...]   (default: tavigp classes)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh release
if (($#)); then
  exec build/release/tavigp "$@"
fi
exec build/release/tavigp classes
