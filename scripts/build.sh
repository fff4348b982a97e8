#!/usr/bin/env bash
# Configures (once) and builds one flavour of the tree incrementally.
#   scripts/build.sh asan|release|fuzz [cmake --build arguments, e.g. --target tqx-sim]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
flavour=${1:-asan}; shift || true
dir="$top/build/$flavour"
case "$flavour" in
  asan)    args=(-DCMAKE_BUILD_TYPE=Debug -DTQX_SANITIZE=ON -DCMAKE_CXX_FLAGS_DEBUG="-g -O1") ;;
  release) args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  fuzz)    args=(-DCMAKE_BUILD_TYPE=Debug -DTQX_SANITIZE=ON -DTQX_FUZZ=ON -DTQX_BENCH=OFF
                 -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS_DEBUG="-g -O1") ;;
  *) echo "unknown flavour: $flavour (asan, release or fuzz)" >&2; exit 2 ;;
esac
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$dir" -G Ninja "${args[@]}" >/dev/null
fi
cmake --build "$dir" -j"${TQX_JOBS:-2}" "$@"
