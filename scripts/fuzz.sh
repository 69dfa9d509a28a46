#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, address and undefined-behaviour checks in
# build-asan/ (or $BRAZZLE_FUZZ_BUILD_DIR; a folder that scripts/asan.sh configured is
# used as it is) and runs each one for a fixed time ($BRAZZLE_FUZZ_SECONDS, default 20)
# on its seed corpus in tests/fuzz/corpus/. Arguments choose the fuzzers (default all);
# BRAZZLE_FUZZ_ARGS adds libFuzzer options, e.g. "-runs=10000000" for a long run.
# Exits non-zero when a fuzzer finds a crash, a leak, a hang or a broken invariant;
# the input that did it is left in the build folder's fuzz-artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BRAZZLE_FUZZ_BUILD_DIR:-build-asan}
seconds=${BRAZZLE_FUZZ_SECONDS:-20}
if [ $# -gt 0 ]; then
  fuzzers=("$@")
else
  fuzzers=(state preset-file clipboard parameter-text)
fi

export CCACHE_NOHASHDIR=1 CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"

if ! grep -q '^BRAZZLE_FUZZ:BOOL=ON' "$build_dir/CMakeCache.txt" 2>/dev/null; then
  cmake -S . -B "$build_dir" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DBRAZZLE_FUZZ=ON -DBRAZZLE_SANITIZE=address \
    -DBRAZZLE_BUILD_PLUGINS=OFF -DBRAZZLE_BUILD_TESTS=OFF -DBRAZZLE_BUILD_TOOLS=OFF -DBRAZZLE_BUILD_BENCHMARKS=OFF
fi
cmake --build "$build_dir" --target "${fuzzers[@]/#/brazzle-fuzz-}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$build_dir/fuzz-artifacts"
artifacts=$(cd "$build_dir/fuzz-artifacts" && pwd)

for fuzzer in "${fuzzers[@]}"; do
  # New inputs go to a scratch folder so that the committed corpus stays as it is;
  # the processor reads preset folders below HOME, which is scratch too.
  mkdir -p "$work/$fuzzer/corpus" "$work/$fuzzer/home"
  echo "fuzz: $fuzzer for ${seconds} s"
  HOME="$work/$fuzzer/home" \
    "$build_dir/tests/fuzz/brazzle-fuzz-$fuzzer" \
    -max_total_time="$seconds" ${BRAZZLE_FUZZ_ARGS:-} -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$artifacts/$fuzzer-" \
    "$work/$fuzzer/corpus" "tests/fuzz/corpus/$fuzzer"
done
