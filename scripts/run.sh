#!/usr/bin/env bash
# Sets up, builds (Release) and starts the program in its working folder, which holds every user's data and
# lies outside the build tree: $RZ410_HOME, or ~/RZ410 when that is not set.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Checked before anything is installed, built or created, so that a refused folder leaves nothing behind.
home=$("$root/scripts/check_home.sh" "${RZ410_HOME:-$HOME/RZ410}")
"$root/scripts/setup.sh"
build="$root/build/release"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DRZ410_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

"$root/scripts/prepare_home.sh" "$build/app/rz410" "$home"

# Documents named relative to where this script was started from.
args=()
for a in "$@"; do
  case "$a" in
    *.qve|*.qva) [[ "$a" == /* ]] || a="$PWD/$a" ;;
  esac
  args+=("$a")
done

cd "$home"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: starting offscreen (QT_QPA_PLATFORM=offscreen); the windows are not visible."
  export QT_QPA_PLATFORM=offscreen
fi
echo "Working folder (experiments, analyses, settings): $home"
exec ./rz410 ${args[@]+"${args[@]}"}
