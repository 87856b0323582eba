#!/usr/bin/env bash
# Sets up, builds (Release) and starts the program in its own working folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build="$root/build/release"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DRZ410_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build/app"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: starting offscreen (QT_QPA_PLATFORM=offscreen); the windows are not visible."
  export QT_QPA_PLATFORM=offscreen
fi
exec ./rz410 "$@"
