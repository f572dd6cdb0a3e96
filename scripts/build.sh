#!/usr/bin/env bash
# Configures and builds the 64-bit tree (library, programs, tests, benchmarks)
# and the 32-bit tree (the shared runtime and the 32-bit programs).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
cd "$tarvo_root"
# One build of the tree at a time (test.sh and run.sh may start together).
mkdir -p build
if [ -z "${TARVO_BUILD_LOCKED:-}" ]; then
  TARVO_BUILD_LOCKED=1 exec flock -o build/.build.lock bash "$tarvo_root/scripts/build.sh" "$@"
fi
jobs=$(nproc)
cmake -S . -B build/x86 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686.cmake -DBUILD_TESTING=OFF >/dev/null
cmake --build build/x86 -j "$jobs"
cmake -S . -B build/x64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64.cmake \
  -DTARVO_X86_PROBE="$tarvo_root/build/x86/bin/runtime_probe.exe" >/dev/null
cmake --build build/x64 -j "$jobs"
