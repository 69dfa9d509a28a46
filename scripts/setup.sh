#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the plug-ins and tools, and runs the main
# job: what a host sees when it loads the plug-ins, then an offline render of the demo.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh

artefacts=build/Brazzle_artefacts/Release
echo
echo "== What a host sees when it loads the built plug-ins"
build/tools/brazzle-host-check --vst3 "$artefacts/VST3/Brazzle.vst3" --lv2 "$artefacts/LV2/Brazzle.lv2"

echo
echo "== The demo phrase through Brazzle (tube curve, 12 dB drive, phase modulation, spread)"
mkdir -p out
build/tools/render/brazzle-render --output-dir out \
    --set saturator:type=TUBE --set saturator:drive=12 --set pm:composite=0.6 \
    --set pm:spread=L1.5ms --set saturator:tone=10B --set global:agc=1

echo
echo "Built: $artefacts/VST3/Brazzle.vst3, $artefacts/LV2/Brazzle.lv2, $artefacts/Standalone/Brazzle"
