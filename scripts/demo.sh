#!/usr/bin/env bash
# Sets up, builds and runs the demo: one object of each class through an archive and back.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DDATAOBJECTS_BUILD_TESTS=OFF >/dev/null
cmake --build build/release --parallel "$(nproc)" --target dataobjects
./build/release/tools/dataobjects demo
