#!/usr/bin/env bash
# Runs the whole test suite from a clean clone: dependencies, build, every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh
DISPLAY= ctest --test-dir build --output-on-failure --timeout 600 -j2
