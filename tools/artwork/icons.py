"""Button images, pointer dots, the XY pad puck and the wave animation grid.

Every image is drawn at its own pixel size; the editor scales button images to
fit their buttons keeping proportions, so only the aspect ratios matter there.
"""

import math
import os
import shutil

import cairo

from canvas import RESOURCES, SEMIBOLD, rgb, save, surface
from typeset import draw_text

GREY_RING = "80858A"


def hexagon(ctx, cx, cy, r, rotation=0.0):
    for i in range(6):
        a = rotation + math.pi / 2 + i * math.pi / 3
        x, y = cx + r * math.cos(a), cy - r * math.sin(a)
        (ctx.move_to if i == 0 else ctx.line_to)(x, y)
    ctx.close_path()


def help_nut(colour):
    s, ctx = surface(33, 37)
    # pointy-top hexagon: 2R tall, sqrt(3)R wide, which is the 33 x 37 frame
    ctx.set_fill_rule(cairo.FILL_RULE_EVEN_ODD)
    hexagon(ctx, 16.5, 18.5, 17.6)
    hexagon(ctx, 16.5, 18.5, 7.4, rotation=math.pi / 6)
    ctx.set_source_rgba(*colour)
    ctx.fill()
    return s


def skin_mark(colour):
    s, ctx = surface(33, 37)
    cx, cy, r = 16.5, 18.5, 14.2
    ctx.set_source_rgba(*colour)
    ctx.set_line_width(2.6)
    ctx.arc(cx, cy, r, 0, 2 * math.pi)
    ctx.stroke()
    ctx.arc(cx, cy, r, math.pi / 2, 1.5 * math.pi)
    ctx.close_path()
    ctx.fill()
    return s


def knob_dot(body, light, edge):
    s, ctx = surface(12, 13)
    cx, cy, r = 6, 6.5, 5.4
    g = cairo.RadialGradient(cx - 1.6, cy - 1.9, 0.3, cx, cy, r)
    g.add_color_stop_rgba(0, *light)
    g.add_color_stop_rgba(0.55, *body)
    g.add_color_stop_rgba(1, *edge)
    ctx.arc(cx, cy, r, 0, 2 * math.pi)
    ctx.set_source(g)
    ctx.fill()
    return s


def ring_letter(ctx, letter, cx, cy, r, colour, lw, size):
    ctx.set_source_rgba(*colour)
    ctx.set_line_width(lw)
    ctx.arc(cx, cy, r, 0, 2 * math.pi)
    ctx.stroke()
    draw_text(ctx, SEMIBOLD, letter, cx, cy + SEMIBOLD.cap_height * size / 2,
              size, colour, align="centre")


BAND_LIT = rgb("C93434")
BAND_UNLIT = rgb("7F8489")


def band(high_lit):
    s, ctx = surface(43, 196)
    top = BAND_LIT if high_lit else BAND_UNLIT
    bottom = BAND_UNLIT if high_lit else BAND_LIT
    ring_letter(ctx, "H", 21.5, 21.5, 19.2, top, 3.0, 19)
    ring_letter(ctx, "L", 21.5, 174.5, 19.2, bottom, 3.0, 19)
    return s


def agc(colour):
    s, ctx = surface(30, 30)
    ring_letter(ctx, "A", 15, 15, 13.2, colour, 2.0, 13.5)
    return s


def bypass(colour, on):
    """An arch bridging over a small ring: the signal taken round the stage."""
    s, ctx = surface(35, 24)
    ctx.set_source_rgba(*colour)
    ctx.set_line_width(2.6)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND if on else cairo.LINE_CAP_BUTT)
    ctx.arc(17.5, 20.0, 13.2, math.pi, 2 * math.pi)
    ctx.stroke()
    ctx.set_line_width(2.0)
    ctx.arc(17.5, 17.6, 3.6, 0, 2 * math.pi)
    ctx.stroke()
    return s


def chevron_path(ctx, cx, cy, w, h, up):
    d = -1 if up else 1
    ctx.move_to(cx - w / 2, cy - d * h / 2)
    ctx.line_to(cx, cy + d * h / 2)
    ctx.line_to(cx + w / 2, cy - d * h / 2)


def chevron(up, pressed):
    s, ctx = surface(41, 41)
    c = 20.5
    if pressed:
        ctx.arc(c, c, 19.2, 0, 2 * math.pi)
        ctx.set_source_rgba(*rgb(GREY_RING))
        ctx.fill()
        colour = rgb("000000")
    else:
        ctx.arc(c, c, 18.4, 0, 2 * math.pi)
        ctx.set_line_width(2.2)
        ctx.set_source_rgba(*rgb(GREY_RING))
        ctx.stroke()
        colour = rgb("C93434")
    ctx.set_line_width(3.4)
    ctx.set_line_join(cairo.LINE_JOIN_MITER)
    ctx.set_line_cap(cairo.LINE_CAP_BUTT)
    chevron_path(ctx, c, c, 15, 7.5, up)
    ctx.set_source_rgba(*colour)
    ctx.stroke()
    return s


def puck():
    s, ctx = surface(103, 104)
    cx, cy = 51.5, 52
    ctx.set_source_rgba(1, 1, 1, 1)
    ctx.set_line_width(4.2)
    ctx.set_line_join(cairo.LINE_JOIN_MITER)
    ctx.set_line_cap(cairo.LINE_CAP_BUTT)
    for k in range(4):
        a = k * math.pi / 2
        ctx.save()
        ctx.translate(cx, cy)
        ctx.rotate(a)
        # chevron pointing outwards along -y, its tip 44 from the centre
        ctx.move_to(-9, -35)
        ctx.line_to(0, -44)
        ctx.line_to(9, -35)
        ctx.restore()
        ctx.stroke()
    return s


def wave_grid():
    w, h = 758, 482
    s, ctx = surface(w, h)
    ctx.set_source_rgba(*rgb("0E1011"))
    ctx.paint()
    # faint glow where the floor meets the dark
    horizon = h * 2 / 3
    g = cairo.LinearGradient(0, horizon - 90, 0, h)
    g.add_color_stop_rgba(0, 0.08, 0.45, 0.45, 0)
    g.add_color_stop_rgba(0.45, 0.08, 0.45, 0.45, 0.10)
    g.add_color_stop_rgba(1, 0.08, 0.45, 0.45, 0.03)
    ctx.rectangle(0, horizon - 90, w, h - horizon + 90)
    ctx.set_source(g)
    ctx.fill()

    teal = (0.16, 0.72, 0.70)
    fade = cairo.LinearGradient(0, horizon, 0, h)
    fade.add_color_stop_rgba(0.08, *teal, 0.0)
    fade.add_color_stop_rgba(0.35, *teal, 0.30)
    fade.add_color_stop_rgba(1, *teal, 0.75)
    ctx.set_source(fade)

    # a floor seen from above its front edge: verticals run to a vanishing
    # point on the horizon, rows close up with depth as 1/z
    vx = w / 2
    ctx.set_line_width(1.3)
    for i in range(-60, 61):
        xb = vx + i * 48
        ctx.move_to(xb, h)
        ctx.line_to(xb + (vx - xb) * 0.9, horizon + (h - horizon) * 0.1)
    ctx.stroke()
    for j in range(0, 16):
        z = 1 + 0.5 * j
        y = horizon + (h - horizon) / z - 0.5
        ctx.move_to(0, y)
        ctx.line_to(w, y)
    ctx.set_line_width(1.1)
    ctx.stroke()
    return s


def render_all():
    out = []
    out.append(save(help_nut(rgb("FFFFFF")), "help_dark.png"))
    out.append(save(help_nut(rgb("3A3D40")), "help_light.png"))
    out.append(save(skin_mark(rgb("FFFFFF")), "skin_dark.png"))
    out.append(save(skin_mark(rgb("3A3D40")), "skin_light.png"))
    out.append(save(knob_dot(rgb("141516"), rgb("5A5E62"), rgb("000000")), "knob_dot_dark.png"))
    out.append(save(knob_dot(rgb("D4D6D8"), rgb("FFFFFF"), rgb("9DA1A5")), "knob_dot_light.png"))
    out.append(save(band(True), "band_high.png"))
    out.append(save(band(False), "band_low.png"))
    out.append(save(agc(rgb("6E7378")), "agc_off_dark.png"))
    out.append(save(agc(rgb("E23C3C")), "agc_on_dark.png"))
    out.append(save(agc(rgb("B4B7BA")), "agc_off_light.png"))
    out.append(save(agc(rgb("8C1F1F")), "agc_on_light.png"))
    out.append(save(bypass(rgb("6E7378"), False), "bypass_off_dark.png"))
    out.append(save(bypass(rgb("E23C3C"), True), "bypass_on_dark.png"))
    out.append(save(bypass(rgb("B4B7BA"), False), "bypass_off_light.png"))
    out.append(save(bypass(rgb("8C1F1F"), True), "bypass_on_light.png"))
    for direction in ("up", "down"):
        for pressed in (False, True):
            name = "chevron_%s%s_dark.png" % (direction, "_pressed" if pressed else "")
            dark = save(chevron(direction == "up", pressed), name)
            # one set of arrows serves both skins, byte for byte
            light = os.path.join(RESOURCES, name.replace("_dark", "_light"))
            shutil.copyfile(dark, light)
            out += [dark, light]
    out.append(save(wave_grid(), "wave_grid.png", opaque=True))
    out.append(save(puck(), "xy_puck.png"))
    return out
