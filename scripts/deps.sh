#!/usr/bin/env bash
# Installs what the build and the tests need when the machine lacks it (Debian packages).
set -euo pipefail
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
# clang, its runtime libraries, clang-tidy and clang-format all from the distribution's
# default LLVM, so that the sanitizer and fuzzer runtimes match the compiler. CPack's
# Debian package finds its dependencies with dpkg-shlibdeps (dpkg-dev) and file. strace
# kills the programs at each system call that writes (tests/kill_test.cpp).
for pkg in cmake g++ libfmt-dev libgtest-dev libgmock-dev libbenchmark-dev \
           clang libclang-rt-dev clang-tidy clang-format \
           valgrind cppcheck groff-base dpkg-dev file strace; do
  have "$pkg" || need+=("$pkg")
done
if ((${#need[@]})); then
  echo "installing: ${need[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}"
fi
