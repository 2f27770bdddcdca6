#!/usr/bin/env bash
# Makes the README's screenshots, docs/screenshots/home.png and information.png: the program on
# a virtual X display (Xvfb, 1366x768) with a window manager (openbox), against the simulator,
# driven by its --tour. Needs the packages xvfb and openbox.
#   scripts/screenshots.sh [BUILD_DIR]      ZEX_SCREENSHOT_DISPLAY=:63 picks the display number
set -euo pipefail
build_dir=${1:-build}
bin="$build_dir/bin"
here=$(dirname "$0")
out="$here/../docs/screenshots"
display=${ZEX_SCREENSHOT_DISPLAY:-:63}
# shellcheck source=scripts/simulator.sh
source "$here/simulator.sh"

if [[ -e "/tmp/.X11-unix/X${display#:}" ]]; then
    echo "Display $display is in use; choose another with ZEX_SCREENSHOT_DISPLAY=:N" >&2
    exit 1
fi

xvfb_pid=
wm_pid=
work=$(mktemp -d)
# shellcheck disable=SC2317  # run by the EXIT trap
cleanup() {
    stop_simulator
    [[ -n "$wm_pid" ]] && kill "$wm_pid" 2>/dev/null
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
    [[ -e "/tmp/.X11-unix/X${display#:}" ]] && break
    sleep 0.1
done
DISPLAY=$display openbox >"$work/openbox.log" 2>&1 &
wm_pid=$!

# Settings and ports of a scratch user, so the pictures show the defaults.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME" "$out"
start_simulator "$bin"
simulator_load 12.55
DISPLAY=$display "$bin/zex-toolkit" --port "$sim_port" --tour 3 \
    --home-screenshot "$out/home.png" --screenshot "$out/information.png"
