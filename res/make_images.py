#!/usr/bin/env python3
"""Writes the small GIF icons of Image/ from the pixel maps below.

Run from this folder: python3 make_images.py. Each map character is a palette
entry; "." is transparent.
"""
import struct

PALETTES = {
    ".": (255, 255, 255),
}

ICONS = {
    # The mark shown after a programme to add it to the watch list: an eye.
    "watch.gif": ({"o": (138, 90, 0), "w": (255, 248, 208), "p": (90, 55, 0), "h": (255, 255, 255)}, [
        "................",
        ".....oooooo.....",
        "...oowwwwwwoo...",
        "..owwwwppwwwwo..",
        ".owwwwpphpwwwwo.",
        "owwwwpppphpwwwwo",
        "owwwwppppppwwwwo",
        ".owwwwppppwwwwo.",
        "..owwwwppwwwwo..",
        "...oowwwwwwoo...",
        ".....oooooo.....",
        "................",
    ]),
    # New series: a red tile with an "N".
    "shinban.gif": ({"r": (210, 58, 42), "w": (255, 255, 255)}, [
        "rrrrrrrrrrrrrr",
        "rrrrrrrrrrrrrr",
        "rrrwwrrrrrwwrr",
        "rrrwwwrrrrwwrr",
        "rrrwwwwrrrwwrr",
        "rrrwwrwwrrwwrr",
        "rrrwwrrwwrwwrr",
        "rrrwwrrrwwwwrr",
        "rrrwwrrrrwwwrr",
        "rrrwwrrrrrwwrr",
        "rrrwwrrrrrwwrr",
        "rrrrrrrrrrrrrr",
        "rrrrrrrrrrrrrr",
    ]),
    # New programme: an orange tile with "NEW".
    "new.gif": ({"r": (224, 90, 26), "w": (255, 255, 255)}, [
        "rrrrrrrrrrrrrrrrrrrrr",
        "rwrrrwrwwwwrwrrrrrwrr",
        "rwwrrwrwrrrrwrrrrrwrr",
        "rwrwrwrwwwrrwrrwrrwrr",
        "rwrrwwrwrrrrrwrwrwrrr",
        "rwrrrwrwwwwrrrwrwrrrr",
        "rrrrrrrrrrrrrrrrrrrrr",
    ]),
    # Last episode: a blue tile with an "L".
    "last.gif": ({"b": (59, 110, 168), "w": (255, 255, 255)}, [
        "bbbbbbbbbbbbbb",
        "bbbbbbbbbbbbbb",
        "bbbwwbbbbbbbbb",
        "bbbwwbbbbbbbbb",
        "bbbwwbbbbbbbbb",
        "bbbwwbbbbbbbbb",
        "bbbwwbbbbbbbbb",
        "bbbwwbbbbbbbbb",
        "bbbwwwwwwwwbbb",
        "bbbwwwwwwwwbbb",
        "bbbbbbbbbbbbbb",
        "bbbbbbbbbbbbbb",
    ]),
    # Subtitles: a green tile with a "T".
    "ji.gif": ({"g": (47, 138, 74), "w": (255, 255, 255)}, [
        "gggggggggggggg",
        "gggggggggggggg",
        "gggwwwwwwwwggg",
        "gggwwwwwwwwggg",
        "ggggggwwgggggg",
        "ggggggwwgggggg",
        "ggggggwwgggggg",
        "ggggggwwgggggg",
        "ggggggwwgggggg",
        "ggggggwwgggggg",
        "gggggggggggggg",
        "gggggggggggggg",
    ]),
    # Rerun: a purple tile with an "R".
    "sai.gif": ({"v": (122, 74, 160), "w": (255, 255, 255)}, [
        "vvvvvvvvvvvvvv",
        "vvvvvvvvvvvvvv",
        "vvvwwwwwwvvvvv",
        "vvvwwvvvwwvvvv",
        "vvvwwvvvwwvvvv",
        "vvvwwwwwwvvvvv",
        "vvvwwvwwvvvvvv",
        "vvvwwvvwwvvvvv",
        "vvvwwvvvwwvvvv",
        "vvvwwvvvvwwvvv",
        "vvvvvvvvvvvvvv",
        "vvvvvvvvvvvvvv",
    ]),
}


def lzw_literal(indices, min_code_size):
    """LZW data made of literal codes only, with a clear code before the code
    width would grow. Larger than real LZW, but tiny icons do not care."""
    clear = 1 << min_code_size
    stop = clear + 1
    width = min_code_size + 1
    limit = (1 << width) - (clear + 2) - 1
    codes = [clear]
    run = 0
    for index in indices:
        if run == limit:
            codes.append(clear)
            run = 0
        codes.append(index)
        run += 1
    codes.append(stop)
    bits = 0
    nbits = 0
    out = bytearray()
    for code in codes:
        bits |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    if nbits:
        out.append(bits & 0xFF)
    return bytes(out)


def write_gif(name, colours, rows):
    height = len(rows)
    width = max(len(r) for r in rows)
    keys = ["."] + sorted(colours)
    palette = [PALETTES["."]] + [colours[k] for k in sorted(colours)]
    size_bits = 1
    while (1 << size_bits) < len(palette):
        size_bits += 1
    size_bits = max(size_bits, 2)
    palette += [(0, 0, 0)] * ((1 << size_bits) - len(palette))
    indices = [keys.index(r[x] if x < len(r) else ".") for r in rows for x in range(width)]
    has_transparency = any(i == 0 for i in indices)

    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", width, height, 0x80 | (size_bits - 1), 0, 0)
    for rgb in palette:
        out += bytes(rgb)
    if has_transparency:
        out += b"\x21\xf9\x04\x01\x00\x00\x00\x00"
    out += b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0)
    out.append(size_bits)
    data = lzw_literal(indices, size_bits)
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out += b"\x00\x3b"
    with open("Image/" + name, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    for icon_name, (icon_colours, icon_rows) in ICONS.items():
        write_gif(icon_name, icon_colours, icon_rows)
