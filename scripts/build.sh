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
# ccache, when installed, keeps compiled objects across build folders and work trees.
if command -v ccache >/dev/null; then
  args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$top")}" CCACHE_NOHASHDIR=1
fi
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$dir" -G Ninja "${args[@]}" >/dev/null
fi
cmake --build "$dir" -j"${TQX_JOBS:-2}" "$@"
