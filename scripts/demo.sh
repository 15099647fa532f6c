#!/usr/bin/env bash
# Sets up, builds and runs the demo: one object of each class through an archive and back.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --parallel "$(nproc)"
./build/release/tools/dataobjects demo
