#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing need, and only
# those that are missing, so a second run costs a fraction of a second.
# Usage: scripts/install-deps.sh [extra-package ...]
set -euo pipefail

packages=(
    cmake make g++
    qt6-base-dev libqt6sql6-sqlite qt6-qpa-plugins
    postgresql-15 libqt6sql6-psql libpq-dev
    fonts-dejavu-core
    poppler-utils
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$status" = "installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Run as root or install sudo to get: ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
