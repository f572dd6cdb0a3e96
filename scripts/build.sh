#!/usr/bin/env bash
# Configures and builds the 64-bit tree (library, programs, tests, benchmarks)
# and the 32-bit tree (the shared runtime and the 32-bit programs).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
cd "$tarvo_root"
jobs=$(nproc)
cmake -S . -B build/x86 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686.cmake -DBUILD_TESTING=OFF >/dev/null
cmake --build build/x86 -j "$jobs"
cmake -S . -B build/x64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64.cmake \
  -DTARVO_X86_PROBE="$tarvo_root/build/x86/bin/runtime_probe.exe" >/dev/null
cmake --build build/x64 -j "$jobs"
