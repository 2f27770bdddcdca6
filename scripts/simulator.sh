# shellcheck shell=bash disable=SC2034  # the variables are read by the scripts that source this
# Sourced by run.sh and screenshots.sh: a simulator (zex-sim) whose standard input is file
# descriptor 3 of the calling script, so the script can change the load while it runs.
#   start_simulator BIN_DIR [ZEX-SIM OPTIONS...]   sets sim_pid, sim_port (COMn), sim_radio
#   simulator_load TONNES                            the bus module's load (and the radio module's)
#   stop_simulator

sim_pid=
sim_port=
sim_radio=
sim_work=

start_simulator() {
    local bin=$1
    shift
    sim_work=$(mktemp -d)
    mkfifo "$sim_work/commands"
    "$bin/zex-sim" "$@" <"$sim_work/commands" >"$sim_work/sim.log" 2>&1 &
    sim_pid=$!
    exec 3>"$sim_work/commands"
    for _ in $(seq 50); do
        grep -q '^ready ' "$sim_work/sim.log" && break
        kill -0 "$sim_pid" 2>/dev/null || break
        sleep 0.1
    done
    local ready
    ready=$(grep '^ready ' "$sim_work/sim.log" || true)
    if [[ -z "$ready" ]]; then
        echo "The simulator did not start:" >&2
        cat "$sim_work/sim.log" >&2
        return 1
    fi
    sim_port=$(awk '{ print $2 }' <<<"$ready")
    # The radio module is served only when no other simulator holds this user's radio socket.
    sleep 0.2
    if grep -q '^radio socket ' "$sim_work/sim.log"; then
        sim_radio=1A2B
    fi
}

# A load that rises and falls between 0 and 20 t over a minute or so; $1 counts seconds.
cycling_load() {
    awk -v t="$1" 'BEGIN { printf "%.3f", 10 - 10 * cos(t / 10) }'
}

simulator_load() {
    echo "load $1" >&3
    if [[ -n "$sim_radio" ]]; then
        echo "radio load $sim_radio $1" >&3
    fi
}

stop_simulator() {
    if [[ -n "$sim_pid" ]]; then
        exec 3>&- 2>/dev/null || true
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
        sim_pid=
    fi
    if [[ -n "$sim_work" ]]; then
        rm -rf "$sim_work"
        sim_work=
    fi
}
