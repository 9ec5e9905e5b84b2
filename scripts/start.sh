#!/usr/bin/env bash
# Sets up the machine, builds the program and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
bash "$root/scripts/build.sh" build -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ -x "$root/build/bin/quandrelle" ]; then
  exec "$root/build/bin/quandrelle" "$@"
fi
# Until the desktop screens are in place, run the command-line calculator on the shipped example.
exec "$root/build/bin/quandrelle-calc" "${1:-$root/examples/benzene-half-mask.json}"
