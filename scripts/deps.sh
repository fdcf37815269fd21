#!/usr/bin/env bash
# Installs the Debian packages that Dialwerk needs, when they are missing.
# Usage: scripts/deps.sh [extra-package ...]
set -euo pipefail

packages=(cmake ninja-build g++ qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core nlohmann-json3-dev
    pkg-config libre-dev sip-tester "$@")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages; run as root or install them: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
