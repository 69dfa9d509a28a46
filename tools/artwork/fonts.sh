#!/usr/bin/env bash
# Rebuilds Resources/montserrat_{light,semibold}.otf and Resources/OFL.txt from
# the Montserrat TrueType files published on npm as @expo-google-fonts/montserrat.
# JUCE gets CFF outlines, so the TrueType faces are converted with FontForge.
#
# Usage: tools/artwork/fonts.sh [path/to/expo-google-fonts-montserrat-0.4.2.tgz]
# Without an argument the tarball is fetched with `npm pack`.
#
# Debian packages: fontforge python3-fontforge (and npm when no tarball is given).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out=$(cd "$here/../.." && pwd)/Resources
pkg=@expo-google-fonts/montserrat@0.4.2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [[ $# -ge 1 ]]; then
  tarball=$(realpath "$1")
else
  (cd "$work" && npm pack --silent "$pkg" >/dev/null)
  tarball=$(ls "$work"/*.tgz)
fi
tar -xzf "$tarball" -C "$work"

convert() {
  # pin the timestamps FontForge writes into head so reruns give the same bytes
  SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-1704067200} \
  fontforge -quiet -lang=py -c '
import sys, fontforge
f = fontforge.open(sys.argv[1])
f.generate(sys.argv[2], flags=("opentype", "round", "no-FFTM-table"))
' "$1" "$2" 2>/dev/null
}

mkdir -p "$out"
convert "$work/package/300Light/Montserrat_300Light.ttf" "$out/montserrat_light.otf"
convert "$work/package/600SemiBold/Montserrat_600SemiBold.ttf" "$out/montserrat_semibold.otf"
cp "$work/package/LICENSE_FONT" "$out/OFL.txt"

for f in "$out"/montserrat_*.otf; do
  fc-scan --format "%{file}: %{fullname[0]}, %{fontformat}\n" "$f"
done
