#!/usr/bin/env bash
# Starts the simulated switch for one model on a free loopback port and opens TqxModule for it.
#   scripts/demo.sh [--model NAME] [--v3] [--page ID]
# With a display the module opens a real window and the simulator stops when it is closed. Without
# one the module runs on the offscreen platform, writes a picture of its window and ends by itself;
# --page ID (a menu command, e.g. 32810 Forwarding Table) then also opens that page and writes its
# picture.
# TQX_BUILD_DIR=FOLDER uses an already configured build folder instead of build/release.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

model=TQX-8800
v3=0
page=""
while (($#)); do
  case "$1" in
    --model) model=${2:?--model needs a name}; shift 2 ;;
    --model=*) model=${1#--model=}; shift ;;
    --v3) v3=1; shift ;;
    --page) page=${2:?--page needs a menu command id}; shift 2 ;;
    --page=*) page=${1#--page=}; shift ;;
    -h|--help) sed -n '2,7p' "$0"; exit 0 ;;
    *) echo "unknown option: $1 (--model NAME, --v3, --page ID)" >&2; exit 2 ;;
  esac
done

"$top/scripts/deps.sh"
if [ -n "${TQX_BUILD_DIR:-}" ]; then
  rel=$(cd "$TQX_BUILD_DIR" && pwd)
  build() { cmake --build "$rel" -j"${TQX_JOBS:-2}" --target "$@"; }
else
  rel="$top/build/release"
  build() { "$top/scripts/build.sh" release --target "$@"; }
fi
build TqxModule
sim="$rel/sim/tqx-sim"
if ninja -C "$rel" -t query tqx-sim >/dev/null 2>&1; then
  build tqx-sim
fi

# The run folder: the program and the model's kit side by side, as the module expects them.
run="$rel/run/$model"
mkdir -p "$run"
ln -f "$rel/app/TqxModule" "$run/TqxModule" 2>/dev/null || cp -f "$rel/app/TqxModule" "$run/TqxModule"
if [ -d "$top/models/$model" ]; then
  cp -rf "$top/models/$model/." "$run/"
fi
if [ ! -f "$run/User.ini" ]; then
  if [ "$model" != TQX-8800 ]; then
    echo "no kit for $model in models/$model (User.ini missing)" >&2
    exit 1
  fi
  printf '[DeviceInfo]\r\nDeviceName=TQX-8800\r\nDevicePortNum=24\r\nXMLName=TQX8800.xml\r\nIsAllGiga=N\r\nIsHasFan=N\r\n' > "$run/User.ini"
fi

port=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

# SNMPv3 demo user: authPriv with SHA and DES.
v3user=demo v3auth=demoauth1 v3priv=demopriv1
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -x "$sim" ]; then
  sim_args=(--model "$model" --listen "udp:127.0.0.1:$port" --dynamics)
  if ((v3)); then
    sim_args+=(--user "$v3user:authPriv:SHA:$v3auth:DES:$v3priv")
  fi
  "$sim" "${sim_args[@]}" > "$run/tqx-sim.log" 2>&1 &
  sim_pid=$!
  for _ in $(seq 150); do
    grep -q "listening on" "$run/tqx-sim.log" 2>/dev/null && break
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
  done
  if ! grep -q "listening on" "$run/tqx-sim.log" 2>/dev/null; then
    echo "tqx-sim did not start; its output:" >&2
    cat "$run/tqx-sim.log" >&2
    exit 1
  fi
  echo "tqx-sim for $model on udp:127.0.0.1:$port"
else
  echo "tqx-sim is not built yet: the module starts without a device on udp:127.0.0.1:$port" >&2
fi

args=(/M1 /I127.0.0.1 /Rpublic /Wprivate /Atrue)
if ((v3)); then
  args+=(/V3 "/P$port" /X /Y /Z /L3 "/U$v3user" "/A$v3auth" "/B$v3priv" /C3 /D2)
else
  args+=(/V1 "/P$port")
fi

cd "$run"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  ./TqxModule "${args[@]}"
else
  picture="$rel/run/$model.png"
  rm -f "$picture"
  page_env=()
  if [ -n "$page" ]; then
    page_picture="$rel/run/$model-page-$page.png"
    rm -f "$page_picture"
    page_env=(TQX_SNAPSHOT_PAGE="$page=$page_picture")
  fi
  env QT_QPA_PLATFORM=offscreen TQX_SNAPSHOT="$picture" "${page_env[@]}" ./TqxModule "${args[@]}"
  if [ -f "$picture" ]; then
    echo "no display: the module's window is in $picture"
  else
    echo "no display, and the module wrote no picture" >&2
    exit 1
  fi
  if [ -n "$page" ]; then
    if [ -f "$page_picture" ]; then
      echo "page $page is in $page_picture"
    else
      echo "page $page wrote no picture (is $page a page of this model's menu?)" >&2
      exit 1
    fi
  fi
fi
