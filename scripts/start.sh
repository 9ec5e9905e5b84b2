#!/usr/bin/env bash
# Sets up the machine, builds the programs as shipped and starts the desktop program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
bash "$root/scripts/build.sh" release
exec "$root/build-release/bin/quandrelle" "$@"
