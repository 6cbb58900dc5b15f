"""Pictures of the profiles page and of the dialog that asks whether to keep
an apply. generate.py calls add() with itself and the pictures so far, so
these share its palette, helpers and key colours.

- 177 / 179: the page button of the profiles page (selected / not), with
  a variant per language (the language table names them).
- 298..301: glyphs of Keep (a tick) and Undo (a turning arrow), pointer-over
  and resting, on pure green, which the skinned button leaves transparent;
  the words beside them are texts in the UI language.
- 302: the dialog's emblem, the mouse with its left button lit.
- 303: the page's background, with plates under its groups of controls.
"""

# English id and its variant per language, as the program's language table has them.
PAGE_SELECTED = [177, 288, 290, 292, 294, 270]
PAGE_OTHER = [179, 289, 291, 293, 295, 271]

# Plates of the profiles page (303), in page pixels.
RULES_CARD = (10, 6, 500, 266)
PROGRAM_CARD = (505, 6, 718, 266)
DEFAULT_CARD = (10, 270, 718, 336)

GLYPH = (18, 18)
EMBLEM = (44, 44)


def glyph(g, kind, over):
    w, h = GLYPH
    img = g.canvas((w, h), g.GREEN_KEY)
    colour = g.ACCENT_HI if over else g.ACCENT

    def tick(d, s):
        d.line([(3 * s, 9.5 * s), (7.5 * s, 14 * s), (15 * s, 4.5 * s)], fill=255, width=int(2.6 * s),
               joint='curve')

    def undo(d, s):
        d.arc([3 * s, 4 * s, 15 * s, 16 * s], start=200, end=120, fill=255, width=int(2.4 * s))
        d.polygon([(1 * s, 3 * s), (8 * s, 4 * s), (3 * s, 10 * s)], fill=255)
    mask = g.draw_mask((w, h), tick if kind == 'keep' else undo)
    # Transparent where the glyph does not cover: keyed pixels are exactly
    # those with no coverage, so antialiased edges blend to the button's
    # dark face instead of to green.
    keyed = mask.point(lambda v: 255 if v == 0 else 0)
    face = g.canvas((w, h), g.CARD if not over else (0, 72, 102))
    face.paste(colour, (0, 0) + face.size, mask)
    img.paste(face, (0, 0), keyed.point(lambda v: 255 - v))
    return g.finish(img, g.GREEN_KEY, keyed)


def emblem(g):
    w, h = EMBLEM
    img = g.canvas((w, h), g.PANEL)
    geo = g.MouseGeometry(w / 2.0, 3, 38, 26)
    img = g.draw_mouse(img, geo, lit='left')
    return g.finish(img, g.SKIN_KEY)


def page_background(g):
    """The profiles page: the rules and the follow switch on the left, the
    program's controls on the right, the default profile and the status
    line along the bottom; a plate under each group, as on the other pages."""
    size = g.PERF_PAGE
    img = g.canvas(size, g.PANEL)
    for rect in (RULES_CARD, PROGRAM_CARD, DEFAULT_CARD):
        img = g.card(img, rect)
    # A quiet rule under the program's label.
    x0, y0, x1, _ = PROGRAM_CARD
    rule = g.poly_mask(size, [(x0 + 6, 41), (x1 - 6, 41), (x1 - 6, 42), (x0 + 6, 42)])
    g.paint(img, rule, g.LINE_HI)
    return g.finish(img, g.SKIN_KEY)


def add(g, pics):
    for li, word in enumerate(g.WORDS['profiles']):
        size = g.tab_size(li)
        pics[PAGE_SELECTED[li]] = g.finish(g.page_button(g.PAGE_THIRD, word, True, False, size), g.SKIN_KEY)
        pics[PAGE_OTHER[li]] = g.finish(g.page_button(g.PAGE_THIRD, word, False, False, size), g.SKIN_KEY)
    pics[303] = page_background(g)
    pics[298] = glyph(g, 'keep', True)
    pics[299] = glyph(g, 'keep', False)
    pics[300] = glyph(g, 'undo', True)
    pics[301] = glyph(g, 'undo', False)
    pics[302] = emblem(g)
