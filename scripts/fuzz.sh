#!/usr/bin/env bash
# Builds one fuzz target with libFuzzer and runs it for a while over a copy of its corpus.
#   scripts/fuzz.sh TARGET SECONDS   e.g. scripts/fuzz.sh app-cmdline 60
#   scripts/fuzz.sh --list           the fuzz targets of the tree
# Inputs that crash are kept in artifacts/TARGET/ of the build folder; copy them into the corpus
# folder so the replay test keeps them. TQX_BUILD_DIR=FOLDER uses an already configured fuzz build
# folder instead of build/fuzz.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
if [ -n "${TQX_BUILD_DIR:-}" ]; then
  dir=$(cd "$TQX_BUILD_DIR" && pwd)
  build() { cmake --build "$dir" -j"${TQX_JOBS:-2}" "$@"; }
else
  dir="$top/build/fuzz"
  build() { "$top/scripts/build.sh" fuzz "$@"; }
fi

usage() { sed -n '2,6p' "$0" >&2; exit 2; }

configure() {
  # Building the build file alone configures the flavour without compiling anything.
  build --target build.ninja >/dev/null
}

# Fuzz targets by their corpus-replay tests (NAME-replay, label fuzz).
list_targets() {
  ctest --test-dir "$dir" -N -L fuzz 2>/dev/null | sed -n 's/^ *Test *#[0-9]*: *\(.*\)-replay$/\1/p'
}

# The corpus folder: the replay test's argument (from CTest's files, which list it even before the
# replay program is built), else tests/<area>/corpus/TARGET.
corpus_of() {
  local target=$1 found
  found=$(find "$dir" -name CTestTestfile.cmake -print0 | xargs -0 python3 -c '
import re, sys
name = re.escape(sys.argv[1] + "-replay")
pattern = re.compile(r"add_test\(\[=\[" + name + r"\]=\] \"[^\"]*\" \"([^\"]*)\"")
for path in sys.argv[2:]:
    m = pattern.search(open(path).read())
    if m:
        print(m.group(1)); break
' "$target" || true)
  if [ -z "$found" ]; then
    found=$(find "$top/tests" -type d -path "*/corpus/$target" -print -quit)
  fi
  printf '%s\n' "$found"
}

[ $# -ge 1 ] || usage
"$top/scripts/deps.sh"
configure
if [ "$1" = --list ]; then
  list_targets
  exit 0
fi
[ $# -eq 2 ] || usage
target=$1 seconds=$2
[[ "$seconds" =~ ^[0-9]+$ ]] && [ "$seconds" -gt 0 ] || { echo "SECONDS must be a positive number" >&2; exit 2; }
if ! list_targets | grep -qx -- "$target"; then
  echo "no fuzz target $target; the targets are:" >&2
  list_targets >&2
  exit 2
fi

build --target "$target-fuzzer"
fuzzer=$(find "$dir" -type f -name "$target-fuzzer" -perm -u+x -print -quit)
[ -n "$fuzzer" ] || { echo "built, but $target-fuzzer was not found in $dir" >&2; exit 1; }

corpus=$(corpus_of "$target")
work=$(mktemp -d "${TMPDIR:-/tmp}/fuzz-$target-XXXXXX")
if [ -n "$corpus" ] && [ -d "$corpus" ]; then
  cp -r "$corpus/." "$work/"
else
  echo "no corpus folder for $target: starting from nothing" >&2
fi
artifacts="$dir/artifacts/$target"
mkdir -p "$artifacts"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$top/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
set +e
"$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$artifacts/" "$work"
rc=$?
set -e
echo "corpus after the run: $work"
if [ $rc -ne 0 ]; then
  echo "$target-fuzzer ended with $rc; crashing inputs are in $artifacts" >&2
fi
exit $rc
