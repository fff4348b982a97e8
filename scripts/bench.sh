#!/usr/bin/env bash
# Builds the release flavour and runs every benchmark; each prints its figures and its ratio against
# the peer it names, measured in the same run.
#   scripts/bench.sh [NAME...]   NAME: walk, codec, poll, pages (default: all)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh"
"$top/scripts/build.sh" release --target tqx-sim bench_snmp_walk kxsnmp_codec_bench bench_mainwin_poll bench_pages
rel="$top/build/release"
names=("$@"); ((${#names[@]})) || names=(walk codec poll pages)
for name in "${names[@]}"; do
  case "$name" in
    walk)  echo "== CCommonSNMP walk against snmpwalk"; "$rel/bench/snmp/bench_snmp_walk" ;;
    codec) echo "== KxSnmp codec against net-snmp"; "$rel/bench/kxsnmp/kxsnmp_codec_bench" ;;
    poll)  echo "== polling main window against an idle dialog"; "$rel/bench/mainwin/bench_mainwin_poll" 60 ;;
    pages) echo "== VLAN, trunk member, port and spanning-tree pages against net-snmp's tools"; "$rel/bench/pages/bench_pages" ;;
    *) echo "unknown benchmark: $name (walk, codec, poll, pages)" >&2; exit 2 ;;
  esac
done
