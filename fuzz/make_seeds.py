#!/usr/bin/python3
"""Writes the fuzz targets' seeds into OUT/<target>/: the text seeds as they are, each .hex
seed (a crafted or once-crashing input, kept as hex text) as its bytes, and the Motion-JPEG
images, made here with OpenCV rather than kept in the repository: a grey image, a colour one,
and the two with their Huffman or quantization tables taken out.

  make_seeds.py OUT
"""

import shutil
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent / "seeds"


def without_segments(jpeg, marker):
    """The image without its header segments of one kind (0xC4 Huffman, 0xDB quantization)."""
    out, at = bytearray(jpeg[:2]), 2
    while at + 4 <= len(jpeg) and jpeg[at + 1] != 0xDA:
        end = at + 2 + (jpeg[at + 2] << 8) + jpeg[at + 3]
        if jpeg[at + 1] != marker:
            out += jpeg[at:end]
        at = end
    return bytes(out + jpeg[at:])


def jpegs():
    import cv2
    import numpy as np

    grey = cv2.imencode(".jpg", np.full((8, 8), 128, np.uint8))[1].tobytes()
    ramp = np.dstack([np.tile(np.arange(32, dtype=np.uint8) * 8, (16, 1))] * 3)
    ramp[:, :, 1] = 120
    image = cv2.imencode(".jpg", ramp)[1].tobytes()
    return {"grey.jpg": grey, "image.jpg": image, "no_huffman_tables.jpg": without_segments(image, 0xC4),
            "no_quantization_tables.jpg": without_segments(grey, 0xDB)}


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = Path(sys.argv[1])
    shutil.rmtree(out, ignore_errors=True)
    for folder in sorted(p for p in HERE.iterdir() if p.is_dir()):
        target = out / folder.name
        target.mkdir(parents=True)
        for seed in sorted(folder.iterdir()):
            if seed.suffix == ".hex":
                (target / seed.stem).write_bytes(bytes.fromhex("".join(seed.read_text().split())))
            else:
                shutil.copyfile(seed, target / seed.name)
    for name, data in jpegs().items():
        (out / "mjpeg" / name).write_bytes(data)


if __name__ == "__main__":
    main()
