#!/usr/bin/env bash
# Renders the demo phrase with brazzle-render, then the same input through the built
# VST3 and LV2 with the same settings, and requires identical samples.
set -euo pipefail
render=$1 host_render=$2 vst3=$3 lv2=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

settings=(--set saturator:type=TUBE --set saturator:drive=18 --set pm:composite=0.8
          --set pm:spread=L1.5ms --set global:mix=80% --set saturator:tone=20B)

"$render" --output-dir "$work" >/dev/null
"$render" "$work/brazzle-demo-dry.wav" -o "$work/rendered.wav" --block 256 "${settings[@]}" >/dev/null
"$host_render" --vst3 "$vst3" --block 256 "${settings[@]}" --compare "$work/rendered.wav" "$work/brazzle-demo-dry.wav"

# LV2 has no text conversion: plain values, and the curve by its label, which the
# bundle's scale points map to the curve's number.
lv2_settings=(--set saturator:type=TUBE --set saturator:drive=18 --set pm:composite=0.8
              --set pm:spread=-1.5 --set global:mix=0.8 --set saturator:tone=0.7)
"$host_render" --lv2 "$lv2" --block 256 "${lv2_settings[@]}" --compare "$work/rendered.wav" "$work/brazzle-demo-dry.wav"
