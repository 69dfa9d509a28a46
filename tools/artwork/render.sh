#!/usr/bin/env bash
# Re-renders every PNG in Resources/ from the sources in this folder.
#
# Debian packages: python3 python3-cairo python3-pil python3-fonttools
# The captions are set with Resources/montserrat_*.otf, so those must exist
# (tools/artwork/fonts.sh makes them).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cd "$here/../.."
# Debian's interpreter, which is the one that sees the python3-* packages
exec /usr/bin/python3 "$here/render.py"
