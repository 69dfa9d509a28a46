#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the plug-ins and tools, and runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh

artefacts=build/Brazzle_artefacts/Release
echo
echo "== What a host sees when it loads the built plug-ins"
build/tools/brazzle-host-check --vst3 "$artefacts/VST3/Brazzle.vst3" --lv2 "$artefacts/LV2/Brazzle.lv2"
echo
echo "Built: $artefacts/VST3/Brazzle.vst3, $artefacts/LV2/Brazzle.lv2, $artefacts/Standalone/Brazzle"
