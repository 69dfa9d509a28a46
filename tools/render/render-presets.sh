#!/usr/bin/env bash
# Checks brazzle-render's preset options against the factory presets installed into
# a temporary home: the program list in host order, a program chosen by name equal
# to the same file chosen by path, --set applied over a preset, and one error line
# with exit code 2 for a name that is no program and for a file that is no state.
# usage: render-presets.sh BRAZZLE_RENDER FACTORY_PRESET_FOLDER
set -euo pipefail
render=$1
factory=$2

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_CONFIG_HOME=$home/.config DISPLAY=
root="$home/Music/Quorvale/Presets/Brazzle"
mkdir -p "$root/User"
cp -r "$factory" "$root/Factory"
cd "$home"

fail() { echo "FAIL: $*"; exit 1; }

list=$("$render" --list-presets)
echo "$list"
[ "$(echo "$list" | head -1)" = "  0  Default" ] || fail "Default is not program 0"
echo "$list" | grep -qx ' *[0-9]*  Drums/Punch' || fail "Drums/Punch is not listed"
[ "$(echo "$list" | wc -l)" -eq "$(find "$factory" -name '*.xml' | wc -l)" ] || fail "not one program per file"

render_to() { local out=$1; shift; "$render" --output-dir "$home" -o "$out" "$@" >/dev/null; }
render_to default.wav
render_to by-name.wav --preset Drums/Punch
render_to by-path.wav --preset "$root/Factory/Drums/Punch.xml"
render_to with-mix.wav --preset Drums/Punch --set global:mix=0

cmp -s by-name.wav by-path.wav || fail "a program by name differs from its file by path"
! cmp -s by-name.wav default.wav || fail "the preset changed nothing"
! cmp -s with-mix.wav by-name.wav || fail "--set was not applied over the preset"

expect_error() {
  local what=$1; shift
  set +e; message=$("$render" -o x.wav "$@" 2>&1 >/dev/null); code=$?; set -e
  [ "$code" -eq 2 ] || fail "$what: exit code $code, not 2"
  [ "$(echo "$message" | wc -l)" -eq 1 ] || fail "$what: not one error line: $message"
  echo "ok: $what -> $message"
}
expect_error "unknown program" --preset "Drums/Nothing"
echo "<BrazzleParameterRoot/>" > plain.xml
expect_error "plain XML file" --preset plain.xml
expect_error "missing value" --preset
echo "render presets: ok"
