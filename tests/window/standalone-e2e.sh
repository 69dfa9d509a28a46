#!/usr/bin/env bash
# Drives the standalone application's real window on a virtual X server, the way a
# user would, and checks what the screen shows.
#
# Usage: standalone-e2e.sh PATH-TO-STANDALONE-EXECUTABLE
# Needs Xvfb, xdotool and ImageMagick (import, convert, compare).

set -euo pipefail

app=${1:?usage: standalone-e2e.sh PATH-TO-STANDALONE-EXECUTABLE}

for tool in Xvfb xdotool import convert compare; do
    command -v "$tool" > /dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/brazzle-e2e.XXXXXX")
xvfb_pid=""
app_pid=""

cleanup() {
    if [[ -n $app_pid ]] && kill -0 "$app_pid" 2> /dev/null; then
        kill -KILL "$app_pid" 2> /dev/null || true
    fi
    if [[ -n $xvfb_pid ]]; then
        kill "$xvfb_pid" 2> /dev/null || true
        wait "$xvfb_pid" 2> /dev/null || true
    fi
    if [[ ${KEEP_E2E_FILES:-0} == 1 ]]; then
        echo "screenshots kept in $work"
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT

failures=0
check() {
    local description=$1
    shift
    if "$@"; then
        echo "ok: $description"
    else
        echo "FAILED: $description"
        failures=$((failures + 1))
    fi
}

fail_now() {
    echo "FAILED: $*"
    [[ -f $work/app.log ]] && sed 's/^/app: /' "$work/app.log"
    exit 1
}

# --- a display of our own -----------------------------------------------------

for number in $(seq 73 140); do
    [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]] && continue
    Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp -noreset > "$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$number"
    for _ in $(seq 1 50); do
        xdotool getdisplaygeometry > /dev/null 2>&1 && break
        kill -0 "$xvfb_pid" 2> /dev/null || break
        sleep 0.1
    done
    if xdotool getdisplaygeometry > /dev/null 2>&1; then
        break
    fi
    kill "$xvfb_pid" 2> /dev/null || true
    wait "$xvfb_pid" 2> /dev/null || true
    xvfb_pid=""
done
[[ -n $xvfb_pid ]] || fail_now "could not start Xvfb"

# --- the application, with a home of its own -----------------------------------

mkdir -p "$work/home"
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" "$app" > "$work/app.log" 2>&1 &
app_pid=$!

window=""
for _ in $(seq 1 150); do
    window=$(xdotool search --name '^Brazzle$' 2> /dev/null | head -n 1 || true)
    [[ -n $window ]] && break
    kill -0 "$app_pid" 2> /dev/null || fail_now "the application quit before showing its window"
    sleep 0.1
done
[[ -n $window ]] || fail_now "no window named Brazzle appeared"

# The window is created small and then sized to its content and centred.
win_w=0 win_h=0
for _ in $(seq 1 100); do
    eval "$(xdotool getwindowgeometry --shell "$window")"
    if ((WIDTH >= 911 && HEIGHT >= 459)); then
        win_x=$X win_y=$Y win_w=$WIDTH win_h=$HEIGHT
        break
    fi
    sleep 0.1
done
((win_w > 0)) || fail_now "the window never grew to the editor's size (${WIDTH}x$HEIGHT)"
sleep 1

# --- looking at the screen -----------------------------------------------------

shot() { import -window root "$work/$1.png"; }

# "x y r g b" for every pixel of a screen area, one line each.
pixels() {
    convert "$work/$1.png" -crop "$4x$5+$2+$3" +repage -depth 8 txt:- \
        | sed -n 's/^\([0-9]*\),\([0-9]*\): *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3 \4 \5/p'
}

# "r g b" of one screen pixel.
pixel() {
    pixels "$1" "$2" "$3" 1 1 | cut -d' ' -f3-
}

# Mean grey level (0 to 255) of an area given in editor coordinates.
brightness() {
    convert "$work/$1.png" -crop "$4x$5+$((ox + $2))+$((oy + $3))" +repage -colorspace gray \
        -format '%[fx:int(255*mean)]' info:
}

crop() {
    convert "$work/$1.png" -crop "$4x$5+$((ox + $2))+$((oy + $3))" +repage "$work/$6.png"
}

# Number of pixels that differ noticeably between two crops.
differing_pixels() {
    # compare's exit status says whether the images differ; the count is what matters.
    { compare -metric AE -fuzz 8% "$work/$1.png" "$work/$2.png" null: 2>&1 || true; } | sed 's/[^0-9].*//'
}

near() {
    local r1 g1 b1 r2 g2 b2
    read -r r1 g1 b1 <<< "$1"
    read -r r2 g2 b2 <<< "$2"
    local d=$(((r1 - r2) * (r1 - r2) + (g1 - g2) * (g1 - g2) + (b1 - b2) * (b1 - b2)))
    ((d < 3 * 12 * 12))
}

click_at() {
    xdotool mousemove "$((ox + $1))" "$((oy + $2))" click 1
    sleep "${3:-0.6}"
}

# The window holds a title bar and perhaps a notification bar above the editor. The
# editor's header starts with the logo square in the accent red at its top-left
# corner: the first red pixel down a column near the window's left edge is the
# editor's top, and the first one along that row its left edge. The first paint may
# still be on its way, so look again for a while.
accent_red='$3 > 150 && $3 < 200 && $4 < 80 && $5 < 80'
find_editor() {
    eval "$(xdotool getwindowgeometry --shell "$window")"
    win_x=$X win_y=$Y win_w=$WIDTH win_h=$HEIGHT
    shot start
    local row column
    row=$(pixels start "$((win_x + 8))" "$win_y" 1 "$win_h" | awk "!done && $accent_red { print \$2; done = 1 }")
    [[ -n $row ]] || return 1
    oy=$((win_y + row))
    column=$(pixels start "$win_x" "$((oy + 5))" 40 1 | awk "!done && $accent_red { print \$1; done = 1 }")
    [[ -n $column ]] || return 1
    ox=$((win_x + column))
}

ox="" oy=""
for _ in $(seq 1 40); do
    find_editor && break
    ox="" oy=""
    sleep 0.25
done
[[ -n $ox ]] || fail_now "no editor header found in the window"
echo "window $window at $win_x,$win_y size ${win_w}x$win_h"
echo "editor at $ox,$oy"

# 911 × 459: the bottom strip runs exactly to column 910 and row 458.
strip=$(pixel start "$((ox + 455))" "$((oy + 452))")
inside_right=$(pixel start "$((ox + 910))" "$((oy + 452))")
outside_right=$(pixel start "$((ox + 911))" "$((oy + 452))")
inside_bottom=$(pixel start "$((ox + 455))" "$((oy + 458))")
outside_bottom=$(pixel start "$((ox + 455))" "$((oy + 459))")
check "the editor is 911 pixels wide" eval 'near "$inside_right" "$strip" && ! near "$outside_right" "$strip"'
check "the editor is 459 pixels high" eval 'near "$inside_bottom" "$strip" && ! near "$outside_bottom" "$strip"'
check "the window fits the editor" test "$((ox + 911))" -le "$((win_x + win_w))" -a "$((oy + 459))" -le "$((win_y + win_h))"

header_light=$(brightness start 280 4 170 30)
check "it opens in the light skin (header grey level $header_light)" test "$header_light" -gt 200

# --- skin ------------------------------------------------------------------------

click_at 866 22
shot dark
header_dark=$(brightness dark 280 4 170 30)
strip_dark=$(brightness dark 100 447 700 10)
check "Skin turns the background dark (header grey level $header_dark, bottom strip $strip_dark)" \
    test "$header_dark" -lt 100 -a "$strip_dark" -lt 100

# --- curve stepping from the wave display -----------------------------------------

# The curve selector's name sits in the slot under CURVE SHAPE.
crop dark 326 386 104 24 curve-before
click_at 150 140
shot curve-stepped
crop curve-stepped 326 386 104 24 curve-after
changed=$(differing_pixels curve-before curve-after)
check "a click on the wave display steps the curve ($changed pixels of the name changed)" test "${changed:-0}" -gt 20

for _ in 1 2 3 4 5; do
    click_at 150 140 0.25
done
sleep 0.5
shot curve-round
crop curve-round 326 386 104 24 curve-round-trip
unchanged=$(differing_pixels curve-before curve-round-trip)
check "six clicks bring the curve back ($unchanged pixels differ)" test "${unchanged:-999}" -lt 5

# --- help page --------------------------------------------------------------------

wave_before=$(brightness curve-round 10 50 360 220)
click_at 892 22
shot help
wave_help=$(brightness help 10 50 360 220)
check "Help shows the help page over the graph area (grey level $wave_before -> $wave_help)" \
    test "$wave_help" -gt 150 -a "$wave_before" -lt 100

xdotool key Escape
sleep 0.6
shot help-closed
wave_closed=$(brightness help-closed 10 50 360 220)
check "Escape hides the help page (grey level $wave_closed)" test "$wave_closed" -lt 100

# --- XY pad -------------------------------------------------------------------------

crop help-closed 455 286 60 16 phase-before
crop help-closed 869 286 42 16 drive-before
xdotool mousemove "$((ox + 379 + 20))" "$((oy + 42 + 220))" mousedown 1
sleep 0.1
for step in 1 2 3 4 5 6 7 8; do
    xdotool mousemove "$((ox + 379 + 20 + step * 45))" "$((oy + 42 + 220 - step * 22))"
    sleep 0.05
done
xdotool mouseup 1
sleep 0.6
shot dragged
crop dragged 455 286 60 16 phase-after
crop dragged 869 286 42 16 drive-after
phase_changed=$(differing_pixels phase-before phase-after)
drive_changed=$(differing_pixels drive-before drive-after)
check "dragging the pad changes the phase amount label ($phase_changed pixels)" test "${phase_changed:-0}" -gt 10
check "dragging the pad changes the drive amount label ($drive_changed pixels)" test "${drive_changed:-0}" -gt 10

# --- closing ---------------------------------------------------------------------

# The window draws its own title bar; its close button is the red cross at the right.
title_y=$((win_y + 13))
close_x=$(pixels dragged "$((win_x + win_w - 60))" "$title_y" 60 1 \
    | awk '$3 > 150 && $4 < 110 && $5 < 110 { found = $1 } END { if (found != "") print found }')
close_x=$((win_x + win_w - 60 + ${close_x:-42}))
xdotool mousemove "$close_x" "$title_y" click 1

status=""
for _ in $(seq 1 100); do
    if ! kill -0 "$app_pid" 2> /dev/null; then
        status=0
        wait "$app_pid" || status=$?
        break
    fi
    sleep 0.1
done
if [[ -z $status ]]; then
    check "the window closes" false
else
    app_pid=""
    check "the application quits cleanly when its window closes (exit status $status)" test "$status" -eq 0
fi

if ((failures > 0)); then
    sed 's/^/app: /' "$work/app.log"
    echo "$failures check(s) failed"
    exit 1
fi

echo "all checks passed"
