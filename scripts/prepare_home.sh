#!/usr/bin/env bash
# Makes a working folder ready for the program: the runtime files it lacks (icons, a default
# Libraries/Config.txt, Data/User/), never overwriting one that is there, and the program itself beside them.
# Usage: prepare_home.sh <built program> <working folder>
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=$1
home=$("$root/scripts/check_home.sh" "$2")
mkdir -p "$home"
cmake -DSRC="$root/runtime" -DDST="$home" -DKEEP_EXISTING=ON -P "$root/scripts/copy_runtime.cmake"
# With a document to open the program makes its own folder the working folder, so it must live beside its
# data. Replaced by renaming, so that a copy still running keeps its file.
cp "$program" "$home/.rz410.new"
mv -f "$home/.rz410.new" "$home/rz410"
