"""The help page: one opaque picture laid over the whole window.

Its parts sit where the things they explain sit in the window, so the page
reads as notes pinned over the interface.
"""

import math

import cairo

from canvas import (LIGHT, SEMIBOLD, WINDOW_H, WINDOW_W, fill_rect,
                    header, rgb, rounded_rect, save, vgradient, window_surface)
from typeset import draw_paragraph, draw_text

PRESET_BAR = (480, 10, 340, 24)
SKIN_BUTTON = (854, 9, 24, 26)
HELP_BUTTON = (880, 9, 24, 26)
GRAPH_TOP, GRAPH_BOTTOM, SPLIT = 42, 283, 380

RED = rgb("D23B3B")          # the accent, lifted a little to hold on dark grey
WHITE = rgb("FFFFFF")
BODY_SIZE = 9.6
BODY_WEIGHT = 0.32           # the light face, thickened so it survives 1x
TITLE_SIZE = 11.5


def title(ctx, text, x, baseline, colour, size=TITLE_SIZE):
    return draw_text(ctx, SEMIBOLD, text, x, baseline, size, colour, tracking=0.14)


def arrow(ctx, x0, y0, x1, y1, colour, lw=1.6, head=5.0):
    ctx.set_source_rgba(*colour)
    ctx.set_line_width(lw)
    ctx.set_line_cap(cairo.LINE_CAP_BUTT)
    a = math.atan2(y1 - y0, x1 - x0)
    ctx.move_to(x0, y0)
    ctx.line_to(x1 - math.cos(a) * head * 0.8, y1 - math.sin(a) * head * 0.8)
    ctx.stroke()
    ctx.move_to(x1, y1)
    for da in (2.6, -2.6):
        ctx.line_to(x1 + math.cos(a + da) * head, y1 + math.sin(a + da) * head)
    ctx.close_path()
    ctx.fill()


def header_notes(ctx):
    x, y, w, h = PRESET_BAR
    rounded_rect(ctx, x + 0.5, y + 0.5, w - 1, h - 1, 3)
    ctx.set_source_rgba(*WHITE)
    ctx.set_line_width(1.0)
    ctx.stroke()
    size = 9.6
    draw_text(ctx, LIGHT, "Presets can be loaded, saved, copied and pasted here",
              x + w / 2, y + h / 2 + LIGHT.cap_height * size / 2, size, WHITE,
              tracking=0.03, align="centre", weight=BODY_WEIGHT)

    # the skin switch stays live under this page, so show it where it is
    x, y, w, h = SKIN_BUTTON
    cx, cy, r = x + w / 2, y + h / 2, 9.2
    ctx.set_source_rgba(*rgb("B9BCC0"))
    ctx.set_line_width(1.6)
    ctx.arc(cx, cy, r, 0, 2 * math.pi)
    ctx.stroke()
    ctx.arc(cx, cy, r, math.pi / 2, 1.5 * math.pi)
    ctx.close_path()
    ctx.fill()

    # close mark where the Help button was
    x, y, w, h = HELP_BUTTON
    cx, cy, r = x + w / 2, y + h / 2, 11
    ctx.arc(cx, cy, r, 0, 2 * math.pi)
    ctx.set_source_rgba(*rgb("050506"))
    ctx.fill_preserve()
    ctx.set_source_rgba(1, 1, 1, 0.35)
    ctx.set_line_width(0.8)
    ctx.stroke()
    ctx.set_source_rgba(*WHITE)
    ctx.set_line_width(1.8)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    d = 4.2
    for sx in (-1, 1):
        ctx.move_to(cx - d, cy - sx * d)
        ctx.line_to(cx + d, cy + sx * d)
    ctx.stroke()


def pale_floor(ctx, x0, x1, horizon, bottom):
    ctx.save()
    ctx.rectangle(x0, horizon, x1 - x0, bottom - horizon)
    ctx.clip()
    fade = cairo.LinearGradient(0, horizon, 0, bottom)
    fade.add_color_stop_rgba(0, 0.45, 0.55, 0.55, 0.0)
    fade.add_color_stop_rgba(0.4, 0.45, 0.55, 0.55, 0.35)
    fade.add_color_stop_rgba(1, 0.45, 0.55, 0.55, 0.7)
    ctx.set_source(fade)
    vx = (x0 + x1) / 2
    for i in range(-40, 41):
        xb = vx + i * 24
        ctx.move_to(xb, bottom)
        ctx.line_to(xb + (vx - xb) * 0.9, horizon + (bottom - horizon) * 0.1)
    ctx.set_line_width(0.6)
    ctx.stroke()
    for j in range(0, 16):
        y = horizon + (bottom - horizon) / (1 + 0.5 * j)
        ctx.move_to(x0, y)
        ctx.line_to(x1, y)
    ctx.set_line_width(0.5)
    ctx.stroke()
    ctx.restore()


def sine_animation_notes(ctx):
    fill_rect(ctx, 0, GRAPH_TOP, SPLIT, GRAPH_BOTTOM - GRAPH_TOP,
              vgradient(GRAPH_TOP, GRAPH_BOTTOM, rgb("EEF0F0"), rgb("DCE1E1")))
    pale_floor(ctx, 0, SPLIT, 190, GRAPH_BOTTOM)
    ink = rgb("1A1C1E")
    title(ctx, "SINE ANIMATION", 22, 72, ink)
    draw_paragraph(ctx, LIGHT, "The animation shows what the selected curve type "
                   "does to a sine signal. Click it to cycle through the curve shapes.",
                   22, 84, BODY_SIZE + 0.4, 300, ink, weight=BODY_WEIGHT + 0.05)

    ctx.set_source_rgba(*rgb("000000"))
    ctx.set_line_width(2.2)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.new_path()
    cy, amp = 190, 34
    for i in range(0, 401):
        t = i / 400
        x = 22 + t * (SPLIT - 44)
        y = cy - amp * math.sin(2 * math.pi * 2 * t)
        (ctx.move_to if i == 0 else ctx.line_to)(x, y)
    ctx.stroke()


def puck_sketch(ctx, cx, cy):
    ctx.set_source_rgba(*WHITE)
    ctx.set_line_width(1.4)
    ctx.arc(cx, cy, 13, 0, 2 * math.pi)
    ctx.stroke()
    ctx.set_line_width(1.6)
    for k in range(4):
        ctx.save()
        ctx.translate(cx, cy)
        ctx.rotate(k * math.pi / 2)
        ctx.move_to(-4, -18)
        ctx.line_to(0, -22)
        ctx.line_to(4, -18)
        ctx.restore()
        ctx.stroke()


def xy_pad_notes(ctx):
    fill_rect(ctx, SPLIT, GRAPH_TOP, WINDOW_W - SPLIT, GRAPH_BOTTOM - GRAPH_TOP, rgb("111213"))
    x = SPLIT + 22
    title(ctx, "XY PAD", x, 72, WHITE)
    text = rgb("E8EAEC")
    y = draw_paragraph(ctx, LIGHT, "Phase-modulation distortion and tone follow the "
                       "vertical axis; saturation drive follows the horizontal axis. "
                       "Drag the cursor to change both at once.",
                       x, 84, BODY_SIZE + 0.4, 360, text, weight=BODY_WEIGHT)
    draw_paragraph(ctx, LIGHT, "Hold Shift while dragging to keep to the horizontal "
                   "axis, or Alt (Option) to keep to the vertical axis.",
                   x, y + 9, BODY_SIZE + 0.4, 360, text, weight=BODY_WEIGHT)
    puck_sketch(ctx, 836, 120)

    size = 9.6
    base = 272
    arrow(ctx, x - 10, base + 1, x - 10, base - 30, RED)
    draw_text(ctx, LIGHT, "phase modulation amount", x, base, size, text,
              tracking=0.03, weight=BODY_WEIGHT)
    right = WINDOW_W - 40
    draw_text(ctx, LIGHT, "drive level amount", right, base, size, text,
              tracking=0.03, align="right", weight=BODY_WEIGHT)
    arrow(ctx, right + 6, base - 3.4, right + 30, base - 3.4, RED)


# Small red pictograms for the control notes, each in a 16-unit square.

def _icon_stroke(ctx, lw=1.4):
    ctx.set_source_rgba(*RED)
    ctx.set_line_width(lw)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.stroke()


def icon_cutoff(ctx, x, y):
    # two bands meeting at the cutoff line: the low one shaded, the high one open
    def hump(x0, x1):
        ctx.move_to(x0, y + 15)
        ctx.curve_to(x0 + 1.5, y + 2, x1 - 1.5, y + 2, x1, y + 15)

    hump(x + 0.5, x + 10)
    ctx.close_path()
    ctx.set_source_rgba(*RED[:3], 0.85)
    ctx.fill()
    hump(x + 6, x + 15.5)
    _icon_stroke(ctx, 1.3)
    ctx.move_to(x + 8, y + 0.5)
    ctx.line_to(x + 8, y + 15.5)
    _icon_stroke(ctx, 0.8)


def icon_band(ctx, x, y):
    ctx.arc(x + 8, y + 3.5, 3.3, 0, 2 * math.pi)
    _icon_stroke(ctx, 1.2)
    ctx.arc(x + 8, y + 12.5, 3.3, 0, 2 * math.pi)
    ctx.set_source_rgba(*RED)
    ctx.fill()


def icon_tone(ctx, x, y):
    # a tilted balance over its pivot
    ctx.move_to(x + 1, y + 11)
    ctx.line_to(x + 15, y + 4)
    _icon_stroke(ctx, 1.6)
    ctx.move_to(x + 8, y + 8)
    ctx.line_to(x + 4.5, y + 15)
    ctx.line_to(x + 11.5, y + 15)
    ctx.close_path()
    ctx.set_source_rgba(*RED)
    ctx.fill()


def icon_curve(ctx, x, y):
    ctx.move_to(x + 1, y + 8)
    ctx.line_to(x + 15, y + 8)
    ctx.move_to(x + 8, y + 1)
    ctx.line_to(x + 8, y + 15)
    _icon_stroke(ctx, 0.6)
    ctx.new_path()
    for i in range(41):
        t = i / 40
        px = x + 1 + 14 * t
        py = y + 8 - 6.5 * math.tanh(3 * (2 * t - 1))
        (ctx.move_to if i == 0 else ctx.line_to)(px, py)
    _icon_stroke(ctx, 1.6)


def icon_spread(ctx, x, y):
    ctx.move_to(x + 8, y + 2)
    ctx.line_to(x + 8, y + 14)
    _icon_stroke(ctx, 1.0)
    arrow(ctx, x + 6, y + 8, x + 0.5, y + 8, RED, lw=1.4, head=3.8)
    arrow(ctx, x + 10, y + 8, x + 15.5, y + 8, RED, lw=1.4, head=3.8)


def icon_gain(ctx, x, y):
    # rising level bars
    for i, hgt in enumerate((5, 8.5, 12, 15)):
        ctx.rectangle(x + 0.5 + i * 4, y + 15.5 - hgt, 2.6, hgt)
    ctx.set_source_rgba(*RED)
    ctx.fill()


def icon_mix(ctx, x, y):
    # two signals overlapping
    ctx.arc(x + 5.5, y + 8, 5, 0, 2 * math.pi)
    _icon_stroke(ctx, 1.3)
    ctx.arc(x + 10.5, y + 8, 5, 0, 2 * math.pi)
    ctx.set_source_rgba(*RED[:3], 0.85)
    ctx.fill()


CONTROLS = [
    (icon_cutoff, "CROSSOVER CUTOFF",
     "Sets the frequency at which the input is split into two bands."),
    (icon_band, "CROSSOVER BAND",
     "H or L: chooses whether the band above or below the cutoff goes through "
     "the distortion stages."),
    (icon_tone, "TONE",
     "A gentle tilt after the crossover stage. Warm raises the lows and lowers "
     "the highs; Bright does the opposite."),
    (icon_curve, "CURVE SHAPE",
     "Picks one of five distortion types for the saturation stage. Raise the "
     "drive on the XY pad to see each one at work in the animation."),
    (icon_spread, "SPREAD",
     "Delays the signal that drives the phase modulation on the right or the "
     "left channel, for a stereo effect."),
    (icon_gain, "OUTPUT GAIN",
     "Sets the level before the final mix."),
    (icon_mix, "OUTPUT MIX",
     "Wet against dry: at 0% only the clean signal passes, at 100% only the "
     "distorted one."),
]


def control_notes(ctx):
    fill_rect(ctx, 0, GRAPH_BOTTOM, WINDOW_W, WINDOW_H - GRAPH_BOTTOM,
              vgradient(GRAPH_BOTTOM, WINDOW_H, rgb("232527"), rgb("1A1B1D")))
    fill_rect(ctx, 0, GRAPH_BOTTOM, WINDOW_W, 1, rgb("0A0B0C"))
    title(ctx, "CONTROLS", 16, 303, rgb("8D9196"), size=9)

    left, right, gutter = 16, WINDOW_W - 16, 11
    n = len(CONTROLS)
    col = (right - left - gutter * (n - 1)) / n
    text = rgb("C9CCD0")
    for i, (icon, name, body) in enumerate(CONTROLS):
        x = left + i * (col + gutter)
        ctx.save()
        ctx.translate(x, 316)
        ctx.scale(1.2, 1.2)
        icon(ctx, 0, 0)
        ctx.restore()
        draw_text(ctx, SEMIBOLD, name, x, 352, 8.6, WHITE, tracking=0.08)
        draw_paragraph(ctx, LIGHT, body, x, 360, BODY_SIZE, col, text,
                       leading=1.42, weight=BODY_WEIGHT)

    draw_text(ctx, LIGHT, "Press Esc or click outside the controls to close this page",
              WINDOW_W - 16, 454, 8.4, rgb("8D9196"), tracking=0.04, align="right",
              weight=0.25)


def render():
    s, ctx = window_surface()
    header(ctx, True, rgb("DCDFE2"))
    header_notes(ctx)
    sine_animation_notes(ctx)
    xy_pad_notes(ctx)
    control_notes(ctx)
    return save(s, "help_overlay.png", opaque=True)


def render_all():
    return [render()]
