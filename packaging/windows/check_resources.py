#!/usr/bin/env python3
"""Checks the Windows resources built into the program (packaging/windows/resources.cmake).

- Its icon (IDI_ICON1, read back with wrestool and icotool) has one 32-bit image at each size
  that Windows asks for, and each is the extinguisher: mostly red, on a clear background,
  inside a clear margin, as the icon test asks of the window icon.
- Its version information names the product in Chinese and the given version, both as text
  and in the numbers that Explorer compares.

Usage: check_resources.py <program.exe> <version, e.g. 1.0.0>
"""
import pathlib
import struct
import subprocess
import sys
import tempfile
import zlib

ICON_SIZES = [16, 24, 32, 48, 64, 256]
PRODUCT = "灭火器配置计算"


def fail(message):
    print(f"check_resources: {message}", file=sys.stderr)
    sys.exit(1)


def read_png(path):
    """Returns (width, height, rows of (r, g, b, a)) of an 8-bit RGBA or RGB PNG."""
    data = path.read_bytes()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        fail(f"{path.name} is not a PNG")
    pos, chunks, header = 8, [], None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            chunks.append(body)
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    channels = {6: 4, 2: 3}.get(colour)
    if depth != 8 or channels is None or interlace != 0:
        fail(f"{path.name}: a PNG of depth {depth}, colour type {colour}, interlace {interlace}")
    raw = zlib.decompress(b"".join(chunks))
    stride = width * channels
    rows, previous, pos = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            up_left = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - up_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - up_left)
                nearest = left if pa <= pb and pa <= pc else up if pb <= pc else up_left
                line[i] = (line[i] + nearest) & 0xFF
        rows.append([tuple(line[x * channels:(x + 1) * channels]) + ((255,) if channels == 3
                     else ()) for x in range(width)])
        previous = line
    return width, height, rows


def check_icon(exe, work):
    group = work / "icon.ico"
    with group.open("wb") as out:
        subprocess.run(["wrestool", "--extract", "--type=14", "--name=IDI_ICON1", str(exe)],
                       stdout=out, check=True)
    if group.stat().st_size == 0:
        fail(f"{exe.name} has no icon named IDI_ICON1")
    listing = subprocess.run(["icotool", "--list", str(group)], capture_output=True, text=True,
                             check=True).stdout.split("\n")
    images = sorted((int(field.split("=")[1]), line) for line in listing if line
                    for field in line.split() if field.startswith("--width="))
    if [size for size, _ in images] != ICON_SIZES:
        fail(f"the icon's sizes are {[size for size, _ in images]}, not {ICON_SIZES}")
    for size, line in images:
        if "--bit-depth=32" not in line:
            fail(f"the {size} px icon is not 32-bit: {line}")
    pngs = work / "pngs"
    pngs.mkdir()
    subprocess.run(["icotool", "--extract", f"--output={pngs}", str(group)], check=True)
    for png in sorted(pngs.iterdir()):
        width, height, rows = read_png(png)
        if width != height or width not in ICON_SIZES:
            fail(f"{png.name}: {width}x{height}")
        size = width
        opaque = red = edge = 0
        for y, row in enumerate(rows):
            for x, (r, g, b, a) in enumerate(row):
                seen = a >= 128
                opaque += seen
                red += seen and r > 150 and max(g, b) < 100
                edge += (x in (0, size - 1) or y in (0, size - 1)) and a > 0
        if edge:
            fail(f"the {size} px icon draws on its outer rows or columns")
        if not size * size // 4 < opaque < size * size * 3 // 5:
            fail(f"the {size} px icon has {opaque} of {size * size} pixels drawn")
        if red * 5 <= opaque * 2:
            fail(f"red is not the main colour of the {size} px icon ({red} of {opaque})")
        print(f"icon {size} px: {opaque} pixels drawn, {red} red")


def version_nodes(block, pos, end):
    """The nodes of a VS_VERSIONINFO block from pos to end: (key, value, is_text, children)."""
    nodes = []
    while pos + 6 <= end:
        length, value_length, is_text = struct.unpack("<HHH", block[pos:pos + 6])
        if length == 0:
            break
        key_end = pos + 6
        while block[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = block[pos + 6:key_end].decode("utf-16-le")
        value_pos = (key_end + 2 + 3) & ~3
        value_end = value_pos + (2 * value_length if is_text else value_length)
        children = version_nodes(block, (value_end + 3) & ~3, pos + length)
        nodes.append((key, block[value_pos:value_end], is_text, children))
        pos = (pos + length + 3) & ~3
    return nodes


def version_strings(block):
    """The StringFileInfo values of a VS_VERSIONINFO block, keyed by name."""
    values = {}
    for _, _, _, tops in version_nodes(block, 0, len(block)):
        for key, _, _, tables in tops:
            if key != "StringFileInfo":
                continue
            for _, _, _, strings in tables:
                for name, value, _, _ in strings:
                    values[name] = value.decode("utf-16-le").rstrip("\0")
    return values


def check_version(exe, version, work):
    raw = work / "version.bin"
    with raw.open("wb") as out:
        subprocess.run(["wrestool", "--extract", "--raw", "--type=16", str(exe)], stdout=out,
                       check=True)
    block = raw.read_bytes()
    fixed = block.find(struct.pack("<I", 0xFEEF04BD))
    if fixed < 0:
        fail(f"{exe.name} has no version information")
    file_ms, file_ls, product_ms, product_ls = struct.unpack("<4I", block[fixed + 8:fixed + 24])
    numbers = [int(part) for part in version.split(".")] + [0] * (4 - version.count(".") - 1)
    expected = (numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3])
    if (file_ms, file_ls) != expected or (product_ms, product_ls) != expected:
        fail(f"the version numbers are {file_ms:#x}.{file_ls:#x}, not those of {version}")
    values = version_strings(block)
    wanted = {"ProductName": PRODUCT, "FileDescription": PRODUCT, "FileVersion": version,
              "ProductVersion": version, "OriginalFilename": "extinguisher-calculator.exe"}
    for key, value in wanted.items():
        if values.get(key) != value:
            fail(f"{key} is {values.get(key)!r}, not {value!r}")
    if PRODUCT not in values.get("CompanyName", ""):
        fail(f"CompanyName is {values.get('CompanyName')!r}")
    for key, value in sorted(values.items()):
        print(f"version {key}: {value}")


def main():
    if len(sys.argv) != 3:
        fail("usage: check_resources.py <program.exe> <version>")
    exe, version = pathlib.Path(sys.argv[1]), sys.argv[2]
    with tempfile.TemporaryDirectory() as folder:
        work = pathlib.Path(folder)
        check_icon(exe, work)
        check_version(exe, version, work)


if __name__ == "__main__":
    main()
