#!/usr/bin/env bash
# Installs the Debian packages that are missing, and only those: `deps.sh demo` what building and running
# the demo needs, `deps.sh package` that and what making the Debian packages needs, `deps.sh test` (the
# default) all that and what the suite needs besides.
set -euo pipefail

# The library (with libpq for server databases), the programs, and an invisible display for xvfb-run.
packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-declarative-dev libsqlcipher-dev
  libssl-dev libsodium-dev libpq-dev libx11-dev fonts-dejavu-core xvfb xauth)
# The tests and benchmarks, the command-line database client, the PostgreSQL server of the suite's
# throwaway clusters and the PgBouncer in front of one, a private bus, the formatter, the cross compiler
# of the Windows syntax check, libfaketime for the clocks that run ahead, and poppler's tools that read
# the printed trail back.
# The Debian packages: dpkg-shlibdeps computes their dependencies, lintian checks them.
if [ "${1:-test}" = test ] || [ "${1:-test}" = package ]; then
  packages+=(dpkg-dev lintian)
fi
# The kiosk test runs the panel under cage, headless, and takes its picture with grim.
if [ "${1:-test}" = test ]; then
  packages+=(cage grim xwayland qt6-wayland)
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev sqlcipher postgresql pgbouncer dbus-daemon
    clang-format g++-mingw-w64-x86-64 faketime poppler-utils)
fi

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
