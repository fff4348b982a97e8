#!/usr/bin/env bash
# Packs the build folder as the Debian package, unpacks it into a scratch root (dpkg -x) and starts
# the installed module for a model through the installed launcher against the installed tqx-sim,
# offscreen, until it has written the panel picture.
#   package_check.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Uncompressed: the check is about what is in the package, not its size.
cpack -G DEB -D CPACK_DEBIAN_COMPRESSION_TYPE=none -B "$work/out" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/out/tqx-module_*.deb) || fail "no package written"
echo "package: $(basename "$deb")"

depends=$(dpkg-deb -f "$deb" Depends)
echo "depends: $depends"
for lib in libqt6widgets6 libqt6network6 libsnmp libc6 python3; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib"
done

root="$work/root"
dpkg -x "$deb" "$root"
for f in usr/bin/tqx-module usr/bin/tqx-sim usr/bin/kxsnmp usr/bin/kxsnmp-logdump \
         usr/include/kxsnmp/SnmpMsg.h usr/share/applications/tqx-module.desktop \
         usr/share/icons/hicolor/64x64/apps/tqx-module.png usr/lib/tqx-module/bin/profiles/TQX-8800.snmprec; do
  [ -e "$root/$f" ] || fail "$f is not in the package"
done
libso=$(find "$root/usr/lib" -name libkxsnmp.so.0 | head -1)
[ -n "$libso" ] || fail "libkxsnmp.so.0 is not in the package"
[ -n "$(find "$root/usr/lib" -path '*/cmake/KxSnmp/KxSnmpConfig.cmake')" ] || fail "the KxSnmp CMake package is missing"
models=$("$root/usr/bin/tqx-module" --list)
[ -n "$models" ] || fail "no installed model"
for m in $models; do
  for f in User.ini TQX9048_CFG.XML TqxModule; do
    [ -e "$root/usr/lib/tqx-module/models/$m/$f" ] || fail "model $m lacks $f"
  done
done
grep -q '^Exec=tqx-module ' "$root/usr/share/applications/tqx-module.desktop" || fail "desktop entry"

export LD_LIBRARY_PATH="$(dirname "$libso")"
export XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen
mkdir -m 700 "$XDG_RUNTIME_DIR"
port=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$root/usr/bin/tqx-sim" --model TQX-8848 --listen "udp:127.0.0.1:$port" >"$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do grep -q "listening on" "$work/sim.log" && break; sleep 0.1; done
grep -q "listening on" "$work/sim.log" || { cat "$work/sim.log"; fail "the installed tqx-sim did not start"; }

shot="$work/panel.png"
TQX_SNAPSHOT="$shot" timeout 120 "$root/usr/bin/tqx-module" TQX-8848 /M1 /I127.0.0.1 /Rpublic /Wprivate /Atrue /V1 "/P$port" \
  >"$work/module.log" 2>&1 || { cat "$work/module.log"; fail "the installed module failed"; }
[ -s "$shot" ] || { cat "$work/module.log"; fail "no panel picture"; }
grep -q "snapshot written" "$work/module.log" || fail "the module did not report its picture"
# The module ran from the installed model's folder: the picture is as wide as that model's panel.
python3 - "$shot" "$root"/usr/lib/tqx-module/models/TQX-8848/TQX8848.bmp <<'PY' || fail "the picture is not the TQX-8848 panel"
import struct, sys
png = open(sys.argv[1], "rb").read(24)
bmp = open(sys.argv[2], "rb").read(26)
width = struct.unpack(">I", png[16:20])[0]
panel = abs(struct.unpack("<i", bmp[18:22])[0])
print("picture width", width, "panel width", panel)
sys.exit(0 if width >= panel else 1)
PY
echo "installed module wrote $(stat -c %s "$shot") bytes of panel picture"
