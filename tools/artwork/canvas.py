"""Surfaces, colours, PNG output and the pieces shared by several images."""

import math
import os

import cairo
from PIL import Image

from typeset import Face, draw_text

HERE = os.path.dirname(os.path.abspath(__file__))
RESOURCES = os.path.normpath(os.path.join(HERE, "..", "..", "Resources"))

# The window is 911 x 459; the full-window art is 1823 x 918 and is stretched
# onto it, so one window unit is 1823/911 pixels across and 2 pixels down.
WINDOW_W, WINDOW_H = 911, 459
ART_W, ART_H = 1823, 918
SX, SY = ART_W / WINDOW_W, ART_H / WINDOW_H

ACCENT = "AE2E2E"

LIGHT = Face(os.path.join(RESOURCES, "montserrat_light.otf"))
SEMIBOLD = Face(os.path.join(RESOURCES, "montserrat_semibold.otf"))


def rgb(hex_, a=1.0):
    v = int(hex_, 16)
    return ((v >> 16) & 255) / 255, ((v >> 8) & 255) / 255, (v & 255) / 255, a


def mix(c1, c2, t):
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


def surface(w, h):
    s = cairo.ImageSurface(cairo.FORMAT_ARGB32, w, h)
    ctx = cairo.Context(s)
    ctx.set_antialias(cairo.ANTIALIAS_BEST)
    return s, ctx


def window_surface():
    """A full-window canvas whose user space is window units."""
    s, ctx = surface(ART_W, ART_H)
    ctx.scale(SX, SY)
    return s, ctx


def save(s, name, opaque=False):
    s.flush()
    img = Image.frombuffer("RGBA", (s.get_width(), s.get_height()),
                           bytes(s.get_data()), "raw", "BGRa", s.get_stride(), 1)
    if opaque:
        img = img.convert("RGB")
    path = os.path.join(RESOURCES, name)
    img.save(path, optimize=True)
    return path


def clear_rows(s, first, last):
    """Makes pixel rows first..last (inclusive) fully transparent."""
    ctx = cairo.Context(s)
    ctx.set_operator(cairo.OPERATOR_CLEAR)
    ctx.rectangle(0, first, s.get_width(), last - first + 1)
    ctx.fill()


def vgradient(y0, y1, *stops):
    g = cairo.LinearGradient(0, y0, 0, y1)
    for i, c in enumerate(stops):
        g.add_color_stop_rgba(i / (len(stops) - 1), *c)
    return g


def fill_rect(ctx, x, y, w, h, source):
    ctx.rectangle(x, y, w, h)
    if isinstance(source, cairo.Pattern):
        ctx.set_source(source)
    else:
        ctx.set_source_rgba(*source)
    ctx.fill()


def rounded_rect(ctx, x, y, w, h, r):
    ctx.new_sub_path()
    ctx.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    ctx.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    ctx.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    ctx.arc(x + r, y + r, r, math.pi, 1.5 * math.pi)
    ctx.close_path()


def logo_mark(ctx, cx, cy, size, colour):
    """The maker's mark: a ring opened at the lower right, whose loose end
    runs out as a short tail, with an inner arc echoing it at the upper left."""
    r = size * 0.36
    lw = size * 0.11
    ctx.save()
    ctx.set_source_rgba(*colour)
    ctx.set_line_width(lw)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    gap = math.radians(34)
    tail = math.radians(45)
    ctx.new_path()
    ctx.arc(cx, cy, r, tail + gap / 2, tail - gap / 2 + 2 * math.pi)
    ctx.stroke()
    ex, ey = cx + r * math.cos(tail), cy + r * math.sin(tail)
    ctx.move_to(ex - r * 0.28 * math.cos(tail), ey - r * 0.28 * math.sin(tail))
    ctx.line_to(ex + r * 0.42 * math.cos(tail), ey + r * 0.42 * math.sin(tail))
    ctx.stroke()
    ctx.new_path()
    ctx.arc(cx, cy, r * 0.45, math.radians(150), math.radians(255))
    ctx.stroke()
    ctx.restore()


def wave_glyph(ctx, x, cy, w, h, colour, lw):
    """One period of a sine pushed into clipping: the flat tops say 'drive'."""
    ctx.save()
    ctx.set_source_rgba(*colour)
    ctx.set_line_width(lw)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.new_path()
    n = 80
    for i in range(n + 1):
        t = i / n
        v = math.tanh(2.6 * math.sin(2 * math.pi * t)) / math.tanh(2.6)
        px, py = x + t * w, cy - v * h / 2
        if i == 0:
            ctx.move_to(px, py)
        else:
            ctx.line_to(px, py)
    ctx.stroke()
    ctx.restore()


def header(ctx, dark, name_colour):
    """The 42-unit header band: red logo square, the name, the lower edge."""
    if dark:
        fill_rect(ctx, 0, 0, WINDOW_W, 42, vgradient(0, 42, rgb("26282A"), rgb("1C1D1F")))
        fill_rect(ctx, 0, 40.5, WINDOW_W, 1.5, rgb("0A0B0C"))
    else:
        fill_rect(ctx, 0, 0, WINDOW_W, 42, vgradient(0, 42, rgb("F6F6F4"), rgb("ECECEA")))
        fill_rect(ctx, 0, 41, WINDOW_W, 1, rgb(ACCENT))
    fill_rect(ctx, 0, 0, 42, 41 if not dark else 40.5, rgb(ACCENT))
    logo_mark(ctx, 21, 20.5, 26, rgb("FFFFFF"))
    size = 15
    base = 21 + LIGHT.cap_height * size / 2
    w = draw_text(ctx, LIGHT, "BRAZZLE", 58, base, size, name_colour, tracking=0.42)
    wave_glyph(ctx, 58 + w + 9, 21, 17, 8.5, rgb(ACCENT), 1.4)
