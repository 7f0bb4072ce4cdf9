#!/usr/bin/python3
# Contact sheet of the clinical bitmaps: every res/bitmaps/<id>.bmp on a silver sheet, seven to a
# row in cells of 250 x 229 pixels (each image at its own size, centred), its id underneath.
# Usage: /usr/bin/python3 scripts/contact-sheet.py [BITMAP_DIR] [OUT.png]   (python3-pil)
import os
import sys

from PIL import Image, ImageDraw, ImageFont

ORDER = [136, 138, 139, 140, 141, 142, 143, 144, 145, 146, 147, 148, 157, 162,
         165, 167, 169, 171, 173, 175, 177,
         166, 168, 170, 172, 174, 176, 178,
         128]
CELL_W, CELL_H, GAP, MARGIN, COLUMNS = 250, 229, 12, 6, 7
PITCH_X, PITCH_Y = CELL_W + GAP, CELL_H + 36
SILVER = (192, 192, 192)


def font():
    for path in ("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",):
        if os.path.exists(path):
            return ImageFont.truetype(path, 14)
    return ImageFont.load_default()


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "res", "bitmaps")
    out = sys.argv[2] if len(sys.argv) > 2 else os.path.join(root, "docs", "clinical-images.png")
    rows = (len(ORDER) + COLUMNS - 1) // COLUMNS
    # Rows start afresh where the catalogue does: the series and 157/162, the smoothed
    # projections, the slices, the toolbar.
    layout, row, col = [], 0, 0
    for i, ident in enumerate(ORDER):
        if ident in (165, 166, 128) and col != 0:
            row, col = row + 1, 0
        layout.append((ident, row, col))
        col += 1
        if col == COLUMNS:
            row, col = row + 1, 0
    rows = layout[-1][1] + 1
    sheet = Image.new("RGBA", (COLUMNS * PITCH_X, rows * PITCH_Y), SILVER + (255,))
    draw = ImageDraw.Draw(sheet)
    f = font()
    for ident, row, col in layout:
        image = Image.open(os.path.join(folder, f"{ident}.bmp")).convert("RGBA")
        x0, y0 = MARGIN + col * PITCH_X, MARGIN + row * PITCH_Y
        sheet.paste(image, (x0 + (CELL_W - image.width) // 2, y0 + (CELL_H - image.height) // 2))
        label = str(ident)
        w = draw.textlength(label, font=f)
        draw.text((x0 + (CELL_W - w) / 2, y0 + CELL_H + 4), label, fill=(0, 0, 0, 255), font=f)
    sheet.save(out, optimize=True)


if __name__ == "__main__":
    main()
