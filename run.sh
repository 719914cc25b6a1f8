#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the reader test console (or `./run.sh veldor`,
# the DSP board service tool). Without a configured port (COMPORT_DIR) and without a USB serial
# adapter, the tool runs against the device simulator so it can be tried at once.
#   ./run.sh [qelm18|veldor] [--demo|--real] [extra program arguments]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$here"

program=qelm18
mode=auto
args=()
for a in "$@"; do
  case "$a" in
    qelm18|veldor) program="$a" ;;
    --demo) mode=demo ;;
    --real) mode=real ;;
    *) args+=("$a") ;;
  esac
done

./scripts/install-deps
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target qelm18 veldor readersim

if [ "$mode" = auto ]; then
  mode=demo
  if [ -n "${COMPORT_DIR:-}" ] || compgen -G '/dev/ttyUSB*' >/dev/null || compgen -G '/dev/ttyACM*' >/dev/null \
     || compgen -G '/dev/serial/by-id/*' >/dev/null; then
    mode=real
  fi
fi

sim_pid=""
scratch=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  [ -n "$scratch" ] && rm -rf "$scratch"
  return 0
}
trap cleanup EXIT INT TERM

bin_qelm18="$here/build/console/main/qelm18"
bin_veldor="$here/build/service/veldor"
bin_sim="$here/build/tools/readersim/readersim"
workdir="$PWD"

if [ "$mode" = demo ]; then
  scratch="$(mktemp -d /tmp/readersim.XXXXXX)"
  if [ "$program" = veldor ]; then
    ports=(--port COM1=dsp)
    # The service tool reads SRV.dat from its working folder: use a scratch one, never the user's.
    printf 'COM1' > "$scratch/SRV.dat"
    workdir="$scratch"
  else
    ports=(--port COM1=silent --port COM2=silent --port COM3=vrx900)
  fi
  mkdir -p "$scratch/ports"
  "$bin_sim" --dir "$scratch/ports" "${ports[@]}" > "$scratch/sim.out" 2> "$scratch/sim.err" &
  sim_pid=$!
  for _ in $(seq 100); do
    grep -q '^READY' "$scratch/sim.out" 2>/dev/null && break
    kill -0 "$sim_pid" 2>/dev/null || { cat "$scratch/sim.err" >&2; echo "readersim did not start" >&2; exit 1; }
    sleep 0.1
  done
  export COMPORT_DIR="$scratch/ports"
  if [ "$program" = veldor ]; then
    echo "Demo: the service tool talks to a simulated DSP board on COM1."
  else
    echo "Demo: simulated 900 MHz reader on COM3, silent ports COM1 and COM2. Press COM to find it."
  fi
fi

run_gui() {
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found: running under xvfb-run (nothing will be visible)." >&2
    (cd "$workdir" && xvfb-run -a "$@")
  else
    (cd "$workdir" && "$@")
  fi
}

if [ "$program" = veldor ]; then
  run_gui "$bin_veldor" "${args[@]}"
else
  run_gui "$bin_qelm18" "${args[@]}"
fi
