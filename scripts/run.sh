#!/usr/bin/env bash
# The main job of `make run`: shows a live ZEX module, refreshed every second, until Ctrl+C.
# With a serial adapter present it talks to the module there; without one it starts the
# simulator (zex-sim) with a slowly changing load and shows the simulated module.
#   ZEX_PORT=COM5 make run    use that port (also an onboard port such as COM1)
#   ZEX_SIM=1 make run        use the simulator even when an adapter is present
set -euo pipefail
build_dir=${1:-build}
bin="$build_dir/bin"
members=(VERS SERIALNUMBER GROSS NET TARE UnitMode DISPLAY)

echo "Serial ports:"
"$bin/zexctl" ports || true

port=${ZEX_PORT:-}
if [[ -z "$port" && -z "${ZEX_SIM:-}" ]]; then
    # Adapters and hand-made links sit at COM33-COM199. Onboard UARTs (COM1-COM32) exist on most
    # PCs with nothing wired to them, so they are used only when ZEX_PORT names one.
    port=$("$bin/zexctl" ports 2>/dev/null |
        awk '{ n = substr($1, 4) + 0; if (n >= 33 && n < 200) { print $1; exit } }')
fi

sim_pid=
work=
cleanup() {
    if [[ -n "$sim_pid" ]]; then
        exec 3>&- 2>/dev/null || true
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    [[ -n "$work" ]] && rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 0' INT TERM

if [[ -z "$port" ]]; then
    work=$(mktemp -d)
    mkfifo "$work/commands"
    "$bin/zex-sim" <"$work/commands" >"$work/sim.log" 2>&1 &
    sim_pid=$!
    exec 3>"$work/commands" # the simulator's standard input: load changes go here
    for _ in $(seq 50); do
        grep -q '^ready ' "$work/sim.log" && break
        kill -0 "$sim_pid" 2>/dev/null || break
        sleep 0.1
    done
    ready=$(grep '^ready ' "$work/sim.log" || true)
    if [[ -z "$ready" ]]; then
        echo "The simulator did not start:" >&2
        cat "$work/sim.log" >&2
        exit 1
    fi
    port=$(awk '{ print $2 }' <<<"$ready")
    echo
    echo "No serial adapter found: showing a simulated module on $port ($(awk '{ print $3 }' <<<"$ready"))."
    echo "Try it from another terminal, e.g.:  $bin/zexctl --port $port set DP 2"
else
    echo
    echo "Showing the module on $port."
fi
echo "Press Ctrl+C to stop."
echo

tick=0
while true; do
    if [[ -n "$sim_pid" ]]; then
        # A load that rises and falls between 0 and 20 t over a minute or so.
        load=$(awk -v t="$tick" 'BEGIN { printf "%.3f", 10 - 10 * cos(t / 10) }')
        echo "load $load" >&3
    fi
    if line=$("$bin/zexctl" --port "$port" get "${members[@]}" 2>&1); then
        echo "$(date +%T)  $(paste -sd' ' <<<"$line")"
    else
        echo "$(date +%T)  $line"
    fi
    tick=$((tick + 1))
    sleep 1
done
