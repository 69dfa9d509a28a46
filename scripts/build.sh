#!/usr/bin/env bash
# Configures and builds every target of the release tree in build/ (or $BRAZZLE_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."

# Debug-info builds in other folders (sanitizer builds, fresh clones) share the cache.
export CCACHE_NOHASHDIR=1
# Paths inside the clone are hashed relative to it, so that every build folder and
# every fresh clone reuses the same cached objects.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"

build_dir=${BRAZZLE_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
cmake --build "$build_dir"
