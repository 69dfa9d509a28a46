#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, address and undefined-behaviour checks in
# build-fuzz/ (or $BRAZZLE_FUZZ_BUILD_DIR) and runs each one for a fixed time
# ($BRAZZLE_FUZZ_SECONDS, default 20) on its seed corpus in tests/fuzz/corpus/.
# Exits non-zero when a fuzzer finds a crash, a leak, a hang or a broken invariant;
# the input that did it is left in the build folder's fuzz-artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BRAZZLE_FUZZ_BUILD_DIR:-build-fuzz}
seconds=${BRAZZLE_FUZZ_SECONDS:-20}
fuzzers=(state)

cmake -S . -B "$build_dir" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DBRAZZLE_FUZZ=ON -DBRAZZLE_SANITIZE=address \
  -DBRAZZLE_BUILD_PLUGINS=OFF -DBRAZZLE_BUILD_TESTS=OFF -DBRAZZLE_BUILD_TOOLS=OFF -DBRAZZLE_BUILD_BENCHMARKS=OFF
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
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$artifacts/$fuzzer-" \
    "$work/$fuzzer/corpus" "tests/fuzz/corpus/$fuzzer"
done
