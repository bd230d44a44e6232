#!/usr/bin/env python3
"""Draws Swiftlet's artwork into ui/res/ with ImageMagick.

    python3 scripts/draw-art.py        # redraws every image; commit the results

The build never runs this: the .bmp and .ico files it writes are committed. Every
image is drawn at 8 times its size and reduced by plain averaging, so edges that lie on
the pixel grid stay sharp and the rest is anti-aliased.

Sizes are in pixels at 96 dpi and follow the dialog templates (ui/dialogs.rc) as
Wine lays them out with the templates' font (MS UI Gothic 9 pt, drawn there with Noto
Sans CJK JP: a dialog unit is 7/4 pixel across and 17/8 pixel down):
  pause and cancel buttons  10 x 11 dialog units  ->  18 x 23
  details chevron           11 x 14 dialog units  ->  19 x 30
  banner                   250 x 27 dialog units  -> 438 x 57
The buttons draw their images with white (0xFFFFFF) as the transparent colour, so
each button image has an exactly white background wherever the window should show
through, and no white inside the glyph.
"""
import os
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, 'ui', 'res')
S = 8  # drawing scale before the reduction

FONT = '/usr/share/fonts/truetype/dejavu/DejaVuSans-ExtraLight.ttf'

# Colours: dark grey glyphs, a light blue hover, one accent blue; red for cancel.
GLYPH = '#3C3C3C'
GLYPH_DISABLED = '#C2C2C2'
ACCENT = '#0067C0'
ACCENT_DARK = '#004E8C'
HOVER_BG = '#E5F1FB'
PRESSED_BG = '#CCE4F7'
RING = '#9A9A9A'
RING_DISABLED = '#DADADA'
CANCEL_HOVER_BG = '#FCE8E9'
CANCEL_PRESSED_BG = '#F7CDD0'
CANCEL_HOVER = '#C42B1C'
CANCEL_PRESSED = '#9E1F15'


def ensure_imagemagick():
    """Installs Debian's imagemagick (and the DejaVu fonts) when they are missing."""
    def installed(p):
        r = subprocess.run(['dpkg-query', '-W', '-f=${Status}', p],
                           capture_output=True, text=True)
        return 'install ok installed' in r.stdout
    need = [p for p in ('imagemagick', 'fonts-dejavu-extra') if not installed(p)]
    if need:
        sudo = [] if os.geteuid() == 0 else ['sudo']
        subprocess.run(sudo + ['apt-get', 'update', '-qq'], check=True)
        subprocess.run(sudo + ['apt-get', 'install', '-y', '-qq', '--no-install-recommends'] + need,
                       check=True, env=dict(os.environ, DEBIAN_FRONTEND='noninteractive'))


def convert(*args):
    tool = shutil.which('magick') or '/usr/bin/convert'
    subprocess.run([tool, *map(str, args)], check=True)


# --- drawing primitives, in target pixels (0,0 is the top-left corner of the image) ---

def p(v):
    """A target coordinate in the enlarged drawing (ImageMagick puts pixel centres on
    whole numbers, so the grid lines of the target fall half a pixel before them)."""
    return f'{v * S - 0.5:.2f}'


def style(fill='none', stroke='none', width=0):
    return (f'fill {fill}\nstroke {stroke}\nstroke-width {width * S:.2f}\n'
            'stroke-linecap round\nstroke-linejoin round\n')


def rect(x0, y0, x1, y1, fill):
    return style(fill) + f'rectangle {p(x0)},{p(y0)} {p(x1)},{p(y1)}\n'


def round_rect(x0, y0, x1, y1, r, fill='none', stroke='none', width=0):
    return style(fill, stroke, width) + \
        f'roundrectangle {p(x0)},{p(y0)} {p(x1)},{p(y1)} {r * S:.2f},{r * S:.2f}\n'


def polyline(points, stroke, width):
    pts = ' '.join(f'{p(x)},{p(y)}' for x, y in points)
    return style('none', stroke, width) + f'polyline {pts}\n'


def polygon(points, fill='none', stroke='none', width=0):
    pts = ' '.join(f'{p(x)},{p(y)}' for x, y in points)
    return style(fill, stroke, width) + f'polygon {pts}\n'


def circle(cx, cy, r, fill='none', stroke='none', width=0):
    return style(fill, stroke, width) + f'circle {p(cx)},{p(cy)} {p(cx + r)},{p(cy)}\n'


def text(x, y, s, size, fill):
    return (f'fill {fill}\nstroke none\nfont \'{FONT}\'\nfont-size {size * S}\n'
            f'text {p(x)},{p(y)} \'{s}\'\n')


def bitmap(name, w, h, mvg):
    """A 24-bit bitmap on white."""
    convert('-size', f'{w * S}x{h * S}', 'xc:white', '-draw', mvg,
            '-scale', f'{w}x{h}!', '-alpha', 'off', '-type', 'TrueColor',
            f'BMP3:{os.path.join(OUT, name)}')


# --- the button images ---

def button_images():
    # Pause and cancel: 18 x 23, the glyph centred at (9, 11.5); hover and pressed put
    # a light rounded square behind it.
    w, h = 18, 23
    box = lambda fill: round_rect(0, 2, 18, 21, 3, fill)

    def cancel(colour, width=1.5):
        return (polyline([(5, 7.5), (13, 15.5)], colour, width) +
                polyline([(13, 7.5), (5, 15.5)], colour, width))

    def pause(colour):
        return rect(5, 7, 7, 16, colour) + rect(11, 7, 13, 16, colour)

    def resume(colour):
        return polygon([(6.5, 6.5), (13.5, 11.5), (6.5, 16.5)], stroke=colour, width=1.4)

    bitmap('cancel-normal.bmp', w, h, cancel(GLYPH))
    bitmap('cancel-disabled.bmp', w, h, cancel(GLYPH_DISABLED))
    bitmap('cancel-hover.bmp', w, h, box(CANCEL_HOVER_BG) + cancel(CANCEL_HOVER))
    bitmap('cancel-pressed.bmp', w, h, box(CANCEL_PRESSED_BG) + cancel(CANCEL_PRESSED))
    for name, glyph in (('pause', pause), ('resume', resume)):
        bitmap(f'{name}-normal.bmp', w, h, glyph(GLYPH))
        bitmap(f'{name}-disabled.bmp', w, h, glyph(GLYPH_DISABLED))
        bitmap(f'{name}-hover.bmp', w, h, box(HOVER_BG) + glyph(ACCENT))
        bitmap(f'{name}-pressed.bmp', w, h, box(PRESSED_BG) + glyph(ACCENT_DARK))

    # The details chevron: 19 x 30, a ring with a chevron, centred at (9.5, 15). Down
    # while the details are hidden, up while they are shown.
    w, h = 19, 30
    cx, cy = 9.5, 15
    arms = {'down': [(cx - 4, cy - 2), (cx, cy + 2), (cx + 4, cy - 2)],
            'up': [(cx - 4, cy + 2), (cx, cy - 2), (cx + 4, cy + 2)]}
    states = {
        'normal': ('white', RING, GLYPH),
        'hot': (HOVER_BG, ACCENT, ACCENT),
        'pressed': (PRESSED_BG, ACCENT_DARK, ACCENT_DARK),
        'disabled': ('white', RING_DISABLED, GLYPH_DISABLED),
    }
    for way, pts in arms.items():
        for state, (fill, ring, glyph) in states.items():
            mvg = circle(cx, cy, 8, fill, ring, 1) + polyline(pts, glyph, 1.4)
            bitmap(f'chevron-{way}-{state}.bmp', w, h, mvg)


# --- the icon and the banner ---

ICON_SIZES = (16, 24, 32, 48, 256)


def icon_png(size, path, tmp):
    """A blue rounded tile with two white chevrons pointing on: the copy going fast."""
    u = size / 16.0  # the design is laid out on a 16 x 16 grid
    big = size * S
    stroke = {16: 2.0, 24: 2.6, 32: 3.2, 48: 4.4}.get(size, size * 0.085)
    m = max(1, round(size / 32))  # the margin round the tile, whole pixels so its edges are sharp
    tile = f'roundrectangle {p(m)},{p(m)} {p(size - m)},{p(size - m)} {3 * u * S:.2f},{3 * u * S:.2f}'
    mask = os.path.join(tmp, f'mask{size}.png')
    convert('-size', f'{big}x{big}', 'xc:black', '-fill', 'white', '-draw', tile, mask)
    back = [(4.2, 4.3), (7.9, 8), (4.2, 11.7)]
    front = [(8.4, 4.3), (12.1, 8), (8.4, 11.7)]
    chevrons = (polyline([(x * u, y * u) for x, y in back], '#FFFFFFA8', stroke) +
                polyline([(x * u, y * u) for x, y in front], 'white', stroke))
    convert('-size', f'{big}x{big}', 'gradient:#2A8FE6-#0A5DB0', mask,
            '-alpha', 'off', '-compose', 'CopyOpacity', '-composite', '-compose', 'Over',
            '-draw', chevrons, '-scale', f'{size}x{size}!', '-strip', f'PNG32:{path}')


def icon(tmp):
    pngs = []
    for size in ICON_SIZES:
        path = os.path.join(tmp, f'icon{size}.png')
        icon_png(size, path, tmp)
        pngs.append(path)
    convert(*pngs, os.path.join(OUT, 'Swiftlet.ico'))
    return os.path.join(tmp, 'icon32.png')


def banner(icon32):
    """438 x 57: white fading to a pale blue, faint speed lines, the icon and the name."""
    w, h = 438, 57
    lines = ''
    for y, x0, x1 in ((18, 318, 414), (26, 282, 424), (34, 336, 418), (42, 360, 410)):
        lines += polyline([(x0, y), (x1, y)], '#D3E4F6', 2)
    mvg = lines + text(58, 38, 'Swiftlet', 24, '#1F1F1F') + rect(0, 56, w, 57, '#E3E3E3')
    convert('-size', f'{h * S}x{w * S}', 'gradient:#FFFFFF-#EAF2FC', '-rotate', '-90',
            '-draw', mvg, '-scale', f'{w}x{h}!',
            icon32, '-geometry', '+16+12', '-compose', 'Over', '-composite',
            '-alpha', 'off', '-type', 'TrueColor', f'BMP3:{os.path.join(OUT, "banner.bmp")}')


def main():
    ensure_imagemagick()
    os.makedirs(OUT, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        button_images()
        banner(icon(tmp))
    print(f'draw-art: images written to {OUT}')
    return 0


if __name__ == '__main__':
    sys.exit(main())
