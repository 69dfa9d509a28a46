"""Sets text with the embedded Montserrat faces as cairo paths.

The glyph outlines come straight from the OpenType files under Resources/, so
the artwork carries exactly the letterforms the editor draws with, independent
of whatever fonts the rendering machine has installed.
"""

from fontTools.pens.basePen import BasePen
from fontTools.ttLib import TTFont


class _CairoPen(BasePen):
    def __init__(self, glyph_set, ctx, x, y, scale):
        super().__init__(glyph_set)
        self.ctx, self.x, self.y, self.s = ctx, x, y, scale

    def _pt(self, p):
        return self.x + p[0] * self.s, self.y - p[1] * self.s

    def _moveTo(self, p):
        self.ctx.move_to(*self._pt(p))

    def _lineTo(self, p):
        self.ctx.line_to(*self._pt(p))

    def _curveToOne(self, p1, p2, p3):
        self.ctx.curve_to(*self._pt(p1), *self._pt(p2), *self._pt(p3))

    def _closePath(self):
        self.ctx.close_path()


class Face:
    def __init__(self, path):
        self.font = TTFont(path)
        self.glyphs = self.font.getGlyphSet()
        self.cmap = self.font.getBestCmap()
        self.hmtx = self.font["hmtx"]
        self.upm = self.font["head"].unitsPerEm
        self.cap_height = self.font["OS/2"].sCapHeight / self.upm
        self.x_height = self.font["OS/2"].sxHeight / self.upm
        self._pairs = self._read_kerning()

    def _read_kerning(self):
        """Pair adjustments of the 'kern' feature, as a lookup function list."""
        gpos = self.font["GPOS"].table
        indices = []
        for rec in gpos.FeatureList.FeatureRecord:
            if rec.FeatureTag == "kern":
                indices += [i for i in rec.Feature.LookupListIndex if i not in indices]
        subtables = []
        for i in sorted(indices):
            lookup = gpos.LookupList.Lookup[i]
            for st in lookup.SubTable:
                if lookup.LookupType == 9:
                    st = st.ExtSubTable
                if st.LookupType == 2:
                    subtables.append(st)
        return subtables

    def kern(self, left, right):
        for st in self._pairs:
            if left not in st.Coverage.glyphs:
                continue
            if st.Format == 1:
                pset = st.PairSet[st.Coverage.glyphs.index(left)]
                for rec in pset.PairValueRecord:
                    if rec.SecondGlyph == right:
                        v = rec.Value1
                        return getattr(v, "XAdvance", 0) if v else 0
            else:
                c1 = st.ClassDef1.classDefs.get(left, 0)
                c2 = st.ClassDef2.classDefs.get(right, 0)
                v = st.Class1Record[c1].Class2Record[c2].Value1
                adv = getattr(v, "XAdvance", 0) if v else 0
                if adv:
                    return adv
        return 0

    def glyph(self, ch):
        return self.cmap.get(ord(ch), ".notdef")

    def layout(self, text, size, tracking=0.0):
        """Pen positions of each glyph and the advance of the whole run.

        tracking is extra space after every glyph but the last, in ems.
        """
        s = size / self.upm
        names = [self.glyph(c) for c in text]
        out, x = [], 0.0
        for i, g in enumerate(names):
            out.append((g, x))
            x += self.hmtx[g][0] * s
            if i + 1 < len(names):
                x += self.kern(g, names[i + 1]) * s + tracking * size
        return out, x

    def width(self, text, size, tracking=0.0):
        return self.layout(text, size, tracking)[1]


def text_path(ctx, face, text, x, baseline, size, tracking=0.0, align="left"):
    placed, w = face.layout(text, size, tracking)
    if align == "centre":
        x -= w / 2
    elif align == "right":
        x -= w
    s = size / face.upm
    for g, gx in placed:
        face.glyphs[g].draw(_CairoPen(face.glyphs, ctx, x + gx, baseline, s))
    return w


def draw_text(ctx, face, text, x, baseline, size, colour, tracking=0.0,
              align="left", weight=0.0):
    """Fills the text; weight > 0 also strokes it that wide, a faux heavier cut
    for small body text where the light face would thin out at 1x."""
    ctx.new_path()
    w = text_path(ctx, face, text, x, baseline, size, tracking, align)
    ctx.set_source_rgba(*colour)
    if weight > 0:
        ctx.fill_preserve()
        ctx.set_line_width(weight)
        ctx.set_line_join(0)
        ctx.stroke()
    else:
        ctx.fill()
    return w


def wrap(face, text, size, width, tracking=0.0):
    lines, line = [], ""
    for word in text.split():
        trial = word if not line else line + " " + word
        if line and face.width(trial, size, tracking) > width:
            lines.append(line)
            line = word
        else:
            line = trial
    if line:
        lines.append(line)
    return lines


def draw_paragraph(ctx, face, text, x, top, size, width, colour, leading=1.4,
                   tracking=0.0, weight=0.0):
    """Wraps text into width; returns the y just below the last line."""
    y = top + face.cap_height * size
    for line in wrap(face, text, size, width, tracking):
        draw_text(ctx, face, line, x, y, size, colour, tracking, weight=weight)
        y += size * leading
    return y - size * leading + size * 0.35
