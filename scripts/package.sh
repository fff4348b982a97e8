#!/usr/bin/env bash
# Builds the release flavour and packs it as a Debian package (build/release/tqx-module_*.deb).
# Install it with: sudo apt install ./build/release/tqx-module_<version>_<arch>.deb
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh"
"$top/scripts/build.sh" release
cd "$top/build/release"
rm -f tqx-module_*.deb
cpack -G DEB >/dev/null
ls "$PWD"/tqx-module_*.deb
