#!/usr/bin/env bash
# Configures and builds one preset of CMakePresets.json: build.sh PRESET [cmake options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
preset=$1
shift
cd "$root"
cmake --preset "$preset" "$@" >/dev/null
cmake --build --preset "$preset" --parallel "$(nproc)"
