#!/usr/bin/env bash
# Installs the Debian packages the build and the suite need, and only those that are missing.
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-declarative-dev libsqlcipher-dev
  libssl-dev libgtest-dev libgmock-dev libbenchmark-dev libx11-dev fonts-dejavu-core xvfb xauth sqlcipher
  dbus-daemon clang-format g++-mingw-w64-x86-64)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
