#!/usr/bin/env bash
# Installs the Debian packages the build needs, when they are missing (needs root for apt-get).
set -euo pipefail
packages=(build-essential cmake qtbase5-dev libqt5serialport5-dev libqcustomplot-dev
          libeigen3-dev libarmadillo-dev libbenchmark-dev
          fonts-crosextra-carlito fonts-yanone-kaffeesatz fonts-dejavu-extra)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
