"""The two window backgrounds (dark and light skin)."""

import math

import cairo

from canvas import (SEMIBOLD, WINDOW_W, clear_rows, fill_rect, header, rgb,
                    rounded_rect, save, vgradient, window_surface)
from typeset import draw_text

# Control geometry in window units, as the editor and slider panel place them.
KNOB_BOUNDS = [(35, 340), (191, 340), (482, 340), (641, 340), (800, 340)]
KNOB_SIZE = 83                      # rotary area is the top 83 x 83 of 83 x 103
KNOB_BODY_R = 29
CURVE_SELECTOR = (338, 354, 80, 86)
BAND_TOGGLE = (144, 334, 24, 100)
BYPASS_BUTTON = (19, 334, 24, 24)
AGC_BUTTON = (628, 334, 22, 22)
AMOUNT_LABELS = [(462, 286, 38, 16), (876, 286, 38, 16)]

GRAPH_TOP, GRAPH_BOTTOM = 42, 283
STRIP_BOTTOM = 304
PANEL_BOTTOM = 445

CAPTION_SIZE = 8.6
CAPTION_TRACKING = 0.13
CAPTION_BASELINE = 327.5


def knob_centres():
    return [(x + KNOB_SIZE / 2, y + KNOB_SIZE / 2) for x, y in KNOB_BOUNDS]


SKINS = {
    # dark: near-black panel, pale captions, brushed-grey knob faces under the
    # near-black pointer dot
    True: dict(
        strip=("2A2C2E", "232527"), strip_line="0C0D0E",
        panel=("1F2123", "17181A"), bottom="111213", bottom_line="0A0B0C",
        caption="AEB2B7", faint="72777C", divider="3A3D40",
        knob_rim=("9A9EA3", "3C3F42"), knob_face=("5B5F63", "777B80"),
        knob_shadow=(0, 0, 0, 0.75), knob_sheen=0.20,
        slot=("0B0C0D", "141516"), slot_edge_hi=(1, 1, 1, 0.09),
        slot_edge_lo=(0, 0, 0, 0.8), name="DCDFE2",
    ),
    # light: off-white panel, darker captions, charcoal knob faces under the
    # pale pointer dot
    False: dict(
        strip=("E4E4E2", "DCDCDA"), strip_line="C9C9C7",
        panel=("F1F1EF", "E6E6E4"), bottom="DADAD8", bottom_line="C9C9C7",
        caption="50545A", faint="8A8E93", divider="BDBDBB",
        knob_rim=("6A6E72", "16181A"), knob_face=("232527", "3A3D40"),
        knob_shadow=(0, 0, 0, 0.35), knob_sheen=0.16,
        slot=("CFCFCD", "DADAD8"), slot_edge_hi=(1, 1, 1, 0.9),
        slot_edge_lo=(0, 0, 0, 0.28), name="3A3D40",
    ),
}


def caption(ctx, text, x, baseline, colour, align="centre", size=CAPTION_SIZE,
            tracking=CAPTION_TRACKING):
    # Tracking is added after every letter but the last, so centred captions
    # stay centred on their control.
    return draw_text(ctx, SEMIBOLD, text, x, baseline, size, colour, tracking, align)


def knob_body(ctx, cx, cy, k):
    r = KNOB_BODY_R
    # soft contact shadow
    g = cairo.RadialGradient(cx, cy + 1.8, r - 2, cx, cy + 1.8, r + 4.5)
    g.add_color_stop_rgba(0, *k["knob_shadow"])
    g.add_color_stop_rgba(1, 0, 0, 0, 0)
    ctx.arc(cx, cy + 1.8, r + 4.5, 0, 2 * math.pi)
    ctx.set_source(g)
    ctx.fill()
    # bevelled rim, lit from above
    rim = cairo.LinearGradient(cx - r * 0.5, cy - r, cx + r * 0.5, cy + r)
    rim.add_color_stop_rgba(0, *rgb(k["knob_rim"][0]))
    rim.add_color_stop_rgba(1, *rgb(k["knob_rim"][1]))
    ctx.arc(cx, cy, r, 0, 2 * math.pi)
    ctx.set_source(rim)
    ctx.fill()
    # face, slightly dished: darker at the top than at the bottom
    fr = r - 2.6
    face = cairo.LinearGradient(cx, cy - fr, cx, cy + fr)
    face.add_color_stop_rgba(0, *rgb(k["knob_face"][0]))
    face.add_color_stop_rgba(1, *rgb(k["knob_face"][1]))
    ctx.arc(cx, cy, fr, 0, 2 * math.pi)
    ctx.set_source(face)
    ctx.fill()
    # turned-metal sheen: light pooling in two opposite quarters, built from
    # thin wedges so it fades round the disc instead of ending in hard edges
    steps = 90
    for i in range(steps):
        a = 2 * math.pi * i / steps
        glow = max(0.0, math.cos(2 * (a + 2.0))) ** 3 * k["knob_sheen"]
        if glow < 0.004:
            continue
        ctx.move_to(cx, cy)
        ctx.arc(cx, cy, fr, a, a + 2 * math.pi / steps + 0.01)
        ctx.close_path()
        ctx.set_source_rgba(1, 1, 1, glow)
        ctx.fill()
    # fine concentric rings
    ctx.set_line_width(0.35)
    for i, rr in enumerate(range(4, int(fr), 3)):
        ctx.arc(cx, cy, rr, 0, 2 * math.pi)
        ctx.set_source_rgba(1, 1, 1, 0.035 if i % 2 else 0.02)
        ctx.stroke()
    # crisp edge between rim and face
    ctx.arc(cx, cy, fr, 0, 2 * math.pi)
    ctx.set_line_width(0.6)
    ctx.set_source_rgba(0, 0, 0, 0.35)
    ctx.stroke()


def curve_slot(ctx, k):
    w, h = 110, 27
    x, y = 378 - w / 2, 397 - h / 2
    rounded_rect(ctx, x, y, w, h, 4)
    ctx.set_source(vgradient(y, y + h, rgb(k["slot"][0]), rgb(k["slot"][1])))
    ctx.fill()
    # inner shadow along the top edge, catch light along the bottom: recessed
    ctx.save()
    rounded_rect(ctx, x, y, w, h, 4)
    ctx.clip()
    ctx.set_line_width(2.2)
    rounded_rect(ctx, x - 0.2, y + 0.4, w + 0.4, h + 3, 4)
    ctx.set_source_rgba(*k["slot_edge_lo"])
    ctx.stroke()
    ctx.restore()
    ctx.set_line_width(0.8)
    ctx.move_to(x + 3, y + h + 0.5)
    ctx.line_to(x + w - 3, y + h + 0.5)
    ctx.set_source_rgba(*k["slot_edge_hi"])
    ctx.stroke()


def vertical_letters(ctx, text, cx, top, pitch, colour, size=8.2):
    for i, ch in enumerate(text):
        base = top + i * pitch + SEMIBOLD.cap_height * size
        draw_text(ctx, SEMIBOLD, ch, cx, base, size, colour, align="centre")


def rotated_caption(ctx, text, cx, cy, colour, size=7.4):
    """Reads upwards, centred on (cx, cy)."""
    ctx.save()
    ctx.translate(cx, cy)
    ctx.rotate(-math.pi / 2)
    caption(ctx, text, 0, SEMIBOLD.cap_height * size / 2, colour, size=size,
            tracking=0.12)
    ctx.restore()


def render(dark):
    k = SKINS[dark]
    s, ctx = window_surface()

    header(ctx, dark, rgb(k["name"]))

    # amount strip under the graph area
    fill_rect(ctx, 0, GRAPH_BOTTOM, WINDOW_W, STRIP_BOTTOM - GRAPH_BOTTOM,
              vgradient(GRAPH_BOTTOM, STRIP_BOTTOM, rgb(k["strip"][0]), rgb(k["strip"][1])))
    fill_rect(ctx, 0, STRIP_BOTTOM - 0.5, WINDOW_W, 1, rgb(k["strip_line"]))

    # control panel
    fill_rect(ctx, 0, STRIP_BOTTOM + 0.5, WINDOW_W, PANEL_BOTTOM - STRIP_BOTTOM - 0.5,
              vgradient(STRIP_BOTTOM, PANEL_BOTTOM, rgb(k["panel"][0]), rgb(k["panel"][1])))
    fill_rect(ctx, 0, PANEL_BOTTOM, WINDOW_W, 459 - PANEL_BOTTOM, rgb(k["bottom"]))
    fill_rect(ctx, 0, PANEL_BOTTOM, WINDOW_W, 0.5, rgb(k["bottom_line"]))

    cap = rgb(k["caption"])
    faint = rgb(k["faint"])

    # strip captions end just before the amount labels they introduce
    mid = AMOUNT_LABELS[0][1] + AMOUNT_LABELS[0][3] / 2
    base = mid + SEMIBOLD.cap_height * CAPTION_SIZE / 2
    for (lx, _, _, _), text in zip(AMOUNT_LABELS, ("PHASE AMOUNT:", "DRIVE AMOUNT:")):
        caption(ctx, text, lx - 2, base, cap, align="right", size=7.6, tracking=0.06)
    fill_rect(ctx, 378, 288, 1, 12, rgb(k["divider"]))

    # panel captions, centred on their controls
    names = ["CROSSOVER CUTOFF", "TONE", "SPREAD", "OUTPUT GAIN", "OUTPUT MIX"]
    for (cx, _), text in zip(knob_centres(), names):
        caption(ctx, text, cx, CAPTION_BASELINE, cap)
    sx, sy, sw, sh = CURVE_SELECTOR
    caption(ctx, "CURVE SHAPE", sx + sw / 2, CAPTION_BASELINE, cap)

    # the band toggle's rings sit at its top and bottom; its name runs between
    bx, by, bw, bh = BAND_TOGGLE
    vertical_letters(ctx, "TYPE", bx + bw / 2, 363, 12, faint)

    # small captions for the two little switches, beside them and clear of the
    # knob arcs and of the caption row above
    px, py, pw, ph = BYPASS_BUTTON
    rotated_caption(ctx, "BYPASS", 10, py + ph / 2, faint, size=7.0)
    ax, ay, aw, ah = AGC_BUTTON
    caption(ctx, "AUTO GAIN", ax - 5, ay + ah / 2 + SEMIBOLD.cap_height * 7.4 / 2,
            faint, align="right", size=7.4, tracking=0.12)

    for cx, cy in knob_centres():
        knob_body(ctx, cx, cy, k)
    curve_slot(ctx, k)

    # Graph band: the editor's graph area paints here. Pixel rows 84..567 are
    # window rows 42..283 at 2x; they must hold nothing at all.
    clear_rows(s, 2 * GRAPH_TOP, 2 * GRAPH_BOTTOM + 1)
    return save(s, "background_dark.png" if dark else "background_light.png")


def render_all():
    return [render(True), render(False)]
