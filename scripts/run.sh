#!/usr/bin/env bash
# The main job of `make run`: lists the serial ports the tool can see.
set -euo pipefail
build_dir=${1:-build}
exec "$build_dir/bin/zexctl" ports
