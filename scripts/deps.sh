#!/usr/bin/env bash
# Installs what the build and the tests need when the machine lacks it (Debian packages).
set -euo pipefail
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
for pkg in cmake g++ clang libgtest-dev libgmock-dev libbenchmark-dev libclang-rt-14-dev \
           valgrind cppcheck clang-tidy clang-format; do
  have "$pkg" || need+=("$pkg")
done
if ((${#need[@]})); then
  echo "installing: ${need[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}"
fi
