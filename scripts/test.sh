#!/usr/bin/env bash
# Runs every test: installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs the CTest suite (unit, widget, integration, fuzz-corpus replay).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh"
"$top/scripts/build.sh" asan
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$top/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
cd "$top/build/asan"
ctest --output-on-failure -j"${TQX_JOBS:-2}" "$@"
