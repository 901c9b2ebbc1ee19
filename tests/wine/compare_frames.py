#!/usr/bin/python3
"""Compares the frames of one scripted run on two platforms, outside the text.

    compare_frames.py REFERENCE_DIR OTHER_DIR DIFF_DIR

Each directory holds what TEVRA_FRAMES wrote: frame-NNNNNN.png and text-boxes.txt. Text is
drawn with each platform's own fonts, so a pixel counts only where neither run's text-boxes.txt has a
text box in that frame. Prints one line per frame that differs (its count of differing pixels) and
writes DIFF_DIR/frame-NNNNNN.png for it: differing pixels red, text boxes grey, the rest the reference
faded. Exit status 0 when both runs have the same frames and none differs, 1 otherwise.
"""
import os
import sys

from PIL import Image, ImageChops, ImageDraw


def frames(directory):
    found = {}
    for name in os.listdir(directory):
        stem, ext = os.path.splitext(name)
        if stem.startswith("frame-") and ext == ".png":
            found[stem] = os.path.join(directory, name)
    return found


def text_boxes(directory):
    boxes = {}
    with open(os.path.join(directory, "text-boxes.txt")) as f:
        for line in f:
            fields = line.split()
            if fields:
                boxes[fields[0]] = [tuple(int(v) for v in b.split(",")) for b in fields[1:]]
    return boxes


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    reference, other, diff_dir = sys.argv[1:]
    a, b = frames(reference), frames(other)
    boxes_a, boxes_b = text_boxes(reference), text_boxes(other)
    failed = False
    if sorted(a) != sorted(b):
        print(f"frame sets differ: {len(a)} frames against {len(b)}; "
              f"only in one: {', '.join(sorted(set(a) ^ set(b))[:10])}")
        failed = True
    for stem in sorted(set(a) & set(b)):
        image_a = Image.open(a[stem]).convert("RGB")
        image_b = Image.open(b[stem]).convert("RGB")
        if image_a.size != image_b.size:
            print(f"{stem}: sizes differ, {image_a.size} against {image_b.size}")
            failed = True
            continue
        mask = Image.new("L", image_a.size, 0)  # 255 inside a text box of either run
        draw = ImageDraw.Draw(mask)
        for left, top, right, bottom in boxes_a.get(stem, []) + boxes_b.get(stem, []):
            if right > left and bottom > top:
                draw.rectangle((left, top, right - 1, bottom - 1), fill=255)
        # 255 where any channel differs, then 0 again inside the text boxes.
        differs = ImageChops.difference(image_a, image_b).point(lambda v: 255 if v else 0)
        differs = ImageChops.lighter(ImageChops.lighter(*differs.split()[:2]), differs.split()[2])
        outside = ImageChops.subtract(differs, mask)
        count = outside.histogram()[255]
        if count == 0:
            continue
        failed = True
        print(f"{stem}: {count} pixels differ outside the text boxes")
        os.makedirs(diff_dir, exist_ok=True)
        picture = Image.blend(image_a, Image.new("RGB", image_a.size, (255, 255, 255)), 0.7)
        picture.paste((160, 160, 160), mask=mask)
        picture.paste((255, 0, 0), mask=outside)
        picture.save(os.path.join(diff_dir, stem + ".png"))
    print(f"compared {len(set(a) & set(b))} frames: " + ("differences found" if failed else "all equal outside text"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
