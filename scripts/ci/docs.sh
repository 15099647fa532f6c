#!/usr/bin/env bash
# Builds the API reference from the header comments with Doxygen into build/docs/docs/html;
# any Doxygen warning fails it.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/install-deps.sh doxygen
cmake --preset docs >/dev/null
cmake --build --preset docs
echo "API reference: build/docs/docs/html/index.html"
