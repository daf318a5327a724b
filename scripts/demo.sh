#!/usr/bin/env bash
# Sets up Tessel on a fresh Debian 12 machine and runs its demo script.
# Everything but the apt packages stays inside build/.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
bash "$top/scripts/install-packages.sh"
bash "$top/scripts/build.sh" "$top/build"
exec "$top/build/demo/run-demo"
