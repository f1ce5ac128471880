#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need.
# Quiet and quick when all of them are there already.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  qt6-base-dev qt6-webengine-dev
  libcurl4-openssl-dev
  curl
  libjpeg62-turbo-dev
  libzip-dev
  libfreexl-dev
  fonts-nanum
  qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev
  xvfb x11-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "deps: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
