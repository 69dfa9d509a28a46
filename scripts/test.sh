#!/usr/bin/env bash
# Runs the whole test suite from a clean clone: dependencies, the release build with
# every test, the whole tree again under AddressSanitizer and UndefinedBehaviorSanitizer
# with the fuzzers, then the concurrency tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

# Debug-info builds in other folders (sanitizer builds, fresh clones) share the cache.
export CCACHE_NOHASHDIR=1
# Paths inside the clone are hashed relative to it, so that every build folder and
# every fresh clone reuses the same cached objects.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"

scripts/install-deps.sh
scripts/build.sh

echo "== Release build: every test"
DISPLAY= ctest --test-dir build --output-on-failure --timeout 600 -j2

echo "== AddressSanitizer and UndefinedBehaviorSanitizer: every test, then the fuzzers"
scripts/asan.sh

echo "== ThreadSanitizer: the tests where threads meet"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRAZZLE_SANITIZE=thread \
      -DBRAZZLE_BUILD_PLUGINS=OFF -DBRAZZLE_BUILD_BENCHMARKS=OFF -DBRAZZLE_BUILD_TOOLS=OFF >/dev/null
cmake --build build-tsan --target brazzle-chain-tests brazzle-preset-tests brazzle-window-tests brazzle-visual-tests
DISPLAY= TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --test-dir build-tsan --output-on-failure --timeout 900 \
          -R 'DisplayPublication|ConcurrentState|EditorLifetime|ParticleXYBinding'
