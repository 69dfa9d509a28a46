#!/usr/bin/env bash
# Instructions per stereo frame of processBlock with everything active at 48 kHz in
# 512-sample blocks, counted by callgrind: two runs of different lengths, so that the
# set-up cancels out.
set -euo pipefail
cd "$(dirname "$0")/.."

binary=build/bench/brazzle-process-frames
[[ -x $binary ]] || cmake --build build --target brazzle-process-frames

count() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$binary" "$1" 2>&1 \
        | sed -n 's/.*Collected : *\([0-9]*\).*/\1/p; s/.*I *refs: *\([0-9,]*\).*/\1/p' | tr -d , | tail -1
}

short=$(count 48128)
long=$(count 96256)
echo "instructions per stereo frame: $(( (long - short) / 48128 ))"
