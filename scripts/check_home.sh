#!/usr/bin/env bash
# Prints the real path of a working folder, or refuses one that lies inside the source tree (and with it every
# build tree under it), where a clean rebuild (rm -rf build, git clean -xdf) would delete the users' data.
# Creates nothing: symlinks are followed and missing parts allowed, so a refused folder leaves no trace.
# Usage: check_home.sh <working folder>
set -euo pipefail
root=$(realpath -e "$(dirname "$0")/..")
home=$(realpath -m -- "$1")
case "$home/" in
  "$root/"*)
    echo "RZ410_HOME ($1, really $home) lies inside the source tree ($root), which a clean rebuild (rm -rf build, git clean -xdf) deletes; choose another folder." >&2
    exit 1 ;;
esac
printf '%s\n' "$home"
