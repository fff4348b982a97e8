#!/usr/bin/env bash
# Builds one fuzz target with libFuzzer and runs it for a while over a copy of its corpus.
#   scripts/fuzz.sh TARGET SECONDS   e.g. scripts/fuzz.sh app-cmdline 60
#   scripts/fuzz.sh --list           the fuzz targets of the tree
# Inputs that crash are kept in build/fuzz/artifacts/TARGET/; copy them into the target's corpus
# folder so the replay test keeps them.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir="$top/build/fuzz"

usage() { sed -n '2,6p' "$0" >&2; exit 2; }

configure() {
  # Building the build file alone configures the flavour without compiling anything.
  "$top/scripts/build.sh" fuzz --target build.ninja >/dev/null
}

# Fuzz targets by their corpus-replay tests (NAME-replay, label fuzz).
list_targets() {
  ctest --test-dir "$dir" -N -L fuzz 2>/dev/null | sed -n 's/^ *Test *#[0-9]*: *\(.*\)-replay$/\1/p'
}

# The corpus folder: the replay test's argument, else tests/<area>/corpus/TARGET.
corpus_of() {
  local target=$1 found
  found=$(ctest --test-dir "$dir" --show-only=json-v1 2>/dev/null | python3 -c '
import json, sys
name = sys.argv[1] + "-replay"
for t in json.load(sys.stdin).get("tests", []):
    if t.get("name") == name and len(t.get("command", [])) > 1:
        print(t["command"][1]); break
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

"$top/scripts/build.sh" fuzz --target "$target-fuzzer"
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
