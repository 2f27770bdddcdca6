#!/usr/bin/env bash
# The main job of `make run`: starts the program with a module to talk to. With a serial adapter
# present its port is preselected on the Home page; without one the simulator (zex-sim) is
# started first, with a load that rises and falls, and its port is preselected. Preselecting
# does not change the stored settings: they change only when you press Connect.
#   ZEX_PORT=COM5 make run    preselect that port (also an onboard port such as COM1)
#   ZEX_SIM=1 make run        use the simulator even when an adapter is present
# Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) the program runs offscreen for a
# few seconds instead (ZEX_TOUR_SECONDS, default 8): it connects, prints the module's display
# once a second and writes a screenshot of the Information page.
set -euo pipefail
build_dir=${1:-build}
bin="$build_dir/bin"
here=$(dirname "$0")
# shellcheck source=scripts/simulator.sh
source "$here/simulator.sh"

echo "Serial ports:"
"$bin/zexctl" ports || true

port=${ZEX_PORT:-}
if [[ -z "$port" && -z "${ZEX_SIM:-}" ]]; then
    # Adapters and hand-made links sit at COM33-COM199. Onboard UARTs (COM1-COM32) exist on most
    # PCs with nothing wired to them, so they are used only when ZEX_PORT names one.
    port=$("$bin/zexctl" ports 2>/dev/null |
        awk '{ n = substr($1, 4) + 0; if (n >= 33 && n < 200) { print $1; exit } }')
fi

feeder_pid=
echo_pid=
# shellcheck disable=SC2317  # run by the EXIT trap
cleanup() {
    for pid in $feeder_pid $echo_pid; do
        kill "$pid" 2>/dev/null || true
    done
    stop_simulator
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The station and baud rate the Home page will show (the stored ones), so the simulated module
# answers a plain Connect.
stored_serial_setting() {
    local config="${XDG_CONFIG_HOME:-$HOME/.config}/ZEX Toolkit/Config.ini"
    [[ -r "$config" ]] || return 0
    tr -d '\r' <"$config" | awk -F= -v key="$1" '
        /^\[/ { section = $0 }
        section == "[Serial]" && tolower($1) == tolower(key) { print $2; exit }'
}
station=$(stored_serial_setting Station)
[[ "$station" =~ ^[0-9]+$ ]] && ((station >= 1 && station <= 254)) || station=1
baud_index=$(stored_serial_setting Baud)
[[ "$baud_index" == 0 ]] && baud=9600 || baud=19200

if [[ -z "$port" ]]; then
    start_simulator "$bin" --module "station=$station,baud=$baud"
    port=$sim_port
    echo
    echo "No serial adapter found: a simulated module (station $station, $baud baud) is on $port."
    if [[ -n "$sim_radio" ]]; then
        echo "It also serves a radio base station with the module $sim_radio (\"Wireless\" tab)."
    fi
else
    echo
    echo "Using the module on $port."
fi

# Qt's notes about the offscreen platform say nothing to the user.
quiet_qt() {
    grep -v -e '^QStandardPaths: XDG_RUNTIME_DIR not set' \
        -e '^This plugin does not support' >&2 || true
}

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    seconds=${ZEX_TOUR_SECONDS:-8}
    shot="$(cd "$build_dir" && pwd)/zex-toolkit-information.png"
    echo
    echo "No display here: neither DISPLAY nor WAYLAND_DISPLAY is set, so the window cannot be"
    echo "shown. Instead the program runs offscreen for $seconds seconds: it connects on $port,"
    echo "prints the module's display once a second and saves a screenshot of the Information page."
    echo
    if [[ -n "$sim_pid" ]]; then
        (
            tick=0
            while true; do
                simulator_load "$(cycling_load "$tick")"
                tick=$((tick + 1))
                sleep 1
            done
        ) &
        feeder_pid=$!
    fi
    status=0
    QT_QPA_PLATFORM=offscreen "$bin/zex-toolkit" --port "$port" --tour "$seconds" \
        --screenshot "$shot" 2> >(quiet_qt) || status=$?
    if ((status == 0)); then
        echo
        echo "On a desktop, \`make run\` opens the window itself."
    fi
    exit "$status"
fi

"$bin/zex-toolkit" --port "$port" &
app_pid=$!
if [[ -z "$sim_pid" ]]; then
    status=0
    wait "$app_pid" || status=$?
    exit "$status"
fi

echo
echo "The program is starting with $port selected: press Connect."
echo "Lines typed here go to the simulator (\"help\" lists them), e.g. \"key tare\" or"
echo "\"fault silence next 3\" (then Retry). The load rises and falls by itself until you type"
echo "a \"load\" of your own."
if [[ -n "$sim_radio" ]]; then
    echo "Radio: type $sim_radio as the ID on the Wireless tab and press Connect; or press Pair, then"
    echo "type \"radio power-down $sim_radio\" and \"radio power-up $sim_radio\" here."
fi
echo "Close the window to end."
echo
# The simulator's answers, from here on.
tail -n 0 -f "$sim_work/sim.log" &
echo_pid=$!
tick=0
auto_load=1
input_open=1
while kill -0 "$app_pid" 2>/dev/null; do
    if ((input_open)); then
        line=
        if read -r -t 1 line; then
            if [[ "$line" =~ ^[[:space:]]*load[[:space:]] ]]; then
                auto_load=0
            fi
            [[ "$line" =~ ^[[:space:]]*quit[[:space:]]*$ ]] || echo "$line" >&3
            continue
        elif (($? <= 128)); then
            input_open=0 # end of input: nothing more to pass on
        fi
    else
        sleep 1
    fi
    if ((auto_load)); then
        simulator_load "$(cycling_load "$tick")"
    fi
    tick=$((tick + 1))
done
status=0
wait "$app_pid" || status=$?
exit "$status"
