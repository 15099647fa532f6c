#!/usr/bin/env bash
# Builds the API reference from the header comments with Doxygen into build/docs/docs/html;
# any Doxygen warning fails it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh doxygen
cmake -S . -B build/docs -DDATAOBJECTS_BUILD_TESTS=OFF -DDATAOBJECTS_BUILD_TOOLS=OFF \
  -DDATAOBJECTS_BUILD_EXAMPLES=OFF -DDATAOBJECTS_BUILD_PYTHON=OFF >/dev/null
cmake --build build/docs --target docs
echo "API reference: build/docs/docs/html/index.html"
