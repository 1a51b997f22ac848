#!/usr/bin/env python3
"""Checks that a storyboard rendered to PNG shows its paths: every path colour of the SVG is
painted inside the map, on more than a few pixels. Usage: storyboard_pixels.py SVG PNG"""
import re
import struct
import sys
import zlib


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG")
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    if depth != 8 or colour not in (2, 6):
        sys.exit(f"{path}: expected 8-bit RGB or RGBA, got depth {depth} colour type {colour}")
    step = 4 if colour == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * step
    rows, prior, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            left = line[i - step] if i >= step else 0
            up = prior[i]
            corner = prior[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
                line[i] = (line[i] + pred) & 255
        rows.append(line)
        prior = line
    return width, height, step, rows


def main():
    svg_path, png_path = sys.argv[1], sys.argv[2]
    svg = open(svg_path, encoding="utf-8").read()
    frame = re.search(r'<rect x="([\d.]+)" y="([\d.]+)" width="([\d.]+)" height="([\d.]+)" '
                      r'fill="#fbfaf6"', svg)
    if not frame:
        sys.exit("the storyboard has no map")
    x0, y0, w, h = (float(v) for v in frame.groups())
    colours = sorted(set(re.findall(r'<polyline points="[^"]*" fill="none" stroke="#([0-9a-f]{6})" '
                                    r'stroke-width="4"', svg)))
    if not colours:
        sys.exit("the storyboard draws no path")
    width, height, step, rows = read_png(png_path)
    scale = width / float(re.search(r'<svg [^>]*width="([\d.]+)"', svg).group(1))
    failed = False
    for colour in colours:
        want = tuple(int(colour[i:i + 2], 16) for i in (0, 2, 4))
        count = 0
        for y in range(int(y0 * scale), min(height, int((y0 + h) * scale))):
            line = rows[y]
            for x in range(int(x0 * scale), min(width, int((x0 + w) * scale))):
                px = line[x * step:x * step + 3]
                if all(abs(px[k] - want[k]) <= 24 for k in range(3)):
                    count += 1
        print(f"path colour #{colour}: {count} pixels in the map")
        if count < 40:
            print(f"  expected at least 40 pixels of #{colour}, got {count}")
            failed = True
    sys.exit(1 if failed else 0)


main()
