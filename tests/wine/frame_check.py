#!/usr/bin/env python3
"""Looks at what wine_check.sh captured: window captures (binary PPM) of the
Windows build under Wine and of the Linux build, and the resources of the
Windows executable. Each command prints what it measured and exits nonzero,
with the reason, when the measurement is not what the program must show."""
import struct
import sys

GREY = 0x787878
GREEN = 0x00FA00
BLUE = 0x0000FA
RED = 0xFA0000
BLACK = 0x000000
WHITE = 0xFFFFFF

CLIENT_SIZE = (792, 673)
# Text cells of the help lines (x 10, rows from 35 on, 20 apart) and of the
# frame counter (10, 10), with room for wider glyphs than the system font's.
HELP_BOX = (10, 35, 320, 116)
FPS_BOX = (10, 10, 160, 30)


class Capture:
    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        fields = []
        pos = 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos)
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        if fields[0] != b"P6" or fields[3] != b"255":
            raise SystemExit(f"{path}: not an 8-bit binary PPM")
        self.path = path
        self.width, self.height = int(fields[1]), int(fields[2])
        raw = data[pos + 1:pos + 1 + 3 * self.width * self.height]
        self.pixels = [(raw[i] << 16) | (raw[i + 1] << 8) | raw[i + 2]
                       for i in range(0, len(raw), 3)]

    def count(self, colour, box=None):
        if box is None:
            return self.pixels.count(colour)
        x0, y0, x1, y1 = box
        x1, y1 = min(x1, self.width), min(y1, self.height)
        return sum(self.pixels[y * self.width + x0:y * self.width + x1].count(colour)
                   for y in range(y0, y1))

    def indices(self, colour):
        return {i for i, p in enumerate(self.pixels) if p == colour}


def fail(message):
    print(f"frame_check: {message}", file=sys.stderr)
    sys.exit(1)


def check_size(cap):
    if (cap.width, cap.height) != CLIENT_SIZE:
        fail(f"{cap.path}: capture is {cap.width}x{cap.height}, the client area must be "
             f"{CLIENT_SIZE[0]}x{CLIENT_SIZE[1]}")


def text_cells(cap, box):
    return cap.count(BLACK, box), cap.count(WHITE, box)


def cmd_scene(path, help_state, fps_state):
    """A frame of the running program: grey background with the surface,
    the point markers and the cube, and the help text and the frame counter
    shown or hidden as stated."""
    cap = Capture(path)
    check_size(cap)
    total = cap.width * cap.height
    counts = {name: cap.count(c) for name, c in
              (("grey", GREY), ("green", GREEN), ("blue", BLUE), ("red", RED))}
    help_black, help_white = text_cells(cap, HELP_BOX)
    fps_black, fps_white = text_cells(cap, FPS_BOX)
    print(f"  {path}: {cap.width}x{cap.height}, grey {counts['grey']}, green {counts['green']}, "
          f"blue {counts['blue']}, red {counts['red']}; help rows black/white "
          f"{help_black}/{help_white}; counter rows black/white {fps_black}/{fps_white}")
    if counts["grey"] * 2 < total:
        fail(f"{path}: the grey background 0x787878 covers only {counts['grey']} of {total} pixels")
    for name in ("green", "blue", "red"):
        if counts[name] == 0:
            fail(f"{path}: no {name} pixels")
    if help_state == "on" and (help_black == 0 or help_white == 0):
        fail(f"{path}: the help text is missing (no black glyphs on white cells in its rows)")
    if help_state == "off" and (help_black or help_white):
        fail(f"{path}: the help text is still shown")
    if fps_state == "on" and (fps_black == 0 or fps_white == 0):
        fail(f"{path}: the frame counter is missing near (10, 10)")
    if fps_state == "off" and (fps_black or fps_white):
        fail(f"{path}: a frame counter is shown near (10, 10)")


def cmd_diff(path_a, path_b):
    """Prints how many pixels differ between two captures of one size."""
    a, b = Capture(path_a), Capture(path_b)
    if (a.width, a.height) != (b.width, b.height):
        fail(f"{path_a} and {path_b} differ in size")
    print(sum(1 for p, q in zip(a.pixels, b.pixels) if p != q))


def cmd_compare(path_win, path_linux):
    """The two builds, view untouched and help text hidden: the cube's red
    pixels must be the same set, and wherever neither frame has surface or
    marker pixels the two frames must agree pixel for pixel."""
    win, lin = Capture(path_win), Capture(path_linux)
    check_size(win)
    check_size(lin)
    red_win, red_linux = win.indices(RED), lin.indices(RED)
    only_win, only_linux = len(red_win - red_linux), len(red_linux - red_win)
    moving = (GREEN, BLUE)
    compared = differing = 0
    grey_both = 0
    for p, q in zip(win.pixels, lin.pixels):
        if p in moving or q in moving:
            continue
        compared += 1
        if p != q:
            differing += 1
        elif p == GREY:
            grey_both += 1
    print(f"  red cube pixels: Windows {len(red_win)}, Linux {len(red_linux)}, "
          f"only in Windows {only_win}, only in Linux {only_linux}")
    print(f"  background: {compared} pixels outside surface and markers compared "
          f"({grey_both} grey in both), {differing} differ")
    if not red_win:
        fail("the Windows frame has no red cube pixels")
    if only_win or only_linux:
        fail("the cube's red pixels differ between the builds")
    if differing:
        fail("the background differs between the builds")


def cmd_resources(path):
    """Lists the resources of a PE image and checks that the application
    manifest is the only one."""
    with open(path, "rb") as f:
        image = f.read()
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        fail(f"{path}: not a PE image")
    machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", image, pe + 4)
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    if machine != 0x14C or magic != 0x10B:
        fail(f"{path}: not a 32-bit x86 image (machine {machine:#x}, magic {magic:#x})")
    rsrc_rva, rsrc_size = struct.unpack_from("<II", image, optional + 96 + 2 * 8)
    table = optional + optional_size

    def offset(rva):
        for s in range(sections):
            vsize, vaddr, rawsize, rawptr = struct.unpack_from("<IIII", image, table + 40 * s + 8)
            if vaddr <= rva < vaddr + max(vsize, rawsize):
                return rawptr + rva - vaddr
        fail(f"{path}: address {rva:#x} lies in no section")

    if rsrc_size == 0:
        fail(f"{path}: no resources")
    base = offset(rsrc_rva)

    def entries(directory):
        named, ids = struct.unpack_from("<HH", image, base + directory + 12)
        for e in range(named + ids):
            name, target = struct.unpack_from("<II", image, base + directory + 16 + 8 * e)
            yield ("name" if name & 0x80000000 else name), target

    found = []
    for rtype, types in entries(0):
        for rname, names in entries(types & 0x7FFFFFFF):
            for lang, leaf in entries(names & 0x7FFFFFFF):
                data_rva, size = struct.unpack_from("<II", image, base + leaf)
                found.append((rtype, rname, lang, image[offset(data_rva):offset(data_rva) + size]))
    for rtype, rname, lang, data in found:
        print(f"  resource type {rtype} id {rname} language {lang:#x}: {len(data)} bytes")
    if len(found) != 1 or found[0][:2] != (24, 1):
        fail(f"{path}: the manifest (type 24, id 1) must be the only resource")
    manifest = found[0][3].decode("utf-8", "replace")
    for needed in ('urn:schemas-microsoft-com:asm.v1', 'urn:schemas-microsoft-com:asm.v3',
                   'level="asInvoker"', 'uiAccess="false"'):
        if needed not in manifest:
            fail(f"{path}: the manifest lacks {needed}")


def main(argv):
    commands = {"scene": (cmd_scene, 3), "diff": (cmd_diff, 2),
                "compare": (cmd_compare, 2), "resources": (cmd_resources, 1)}
    if len(argv) < 2 or argv[1] not in commands or len(argv) - 2 != commands[argv[1]][1]:
        print("usage: frame_check.py scene CAPTURE on|off(help) on|off(counter) | diff A B | "
              "compare WINDOWS LINUX | resources EXE", file=sys.stderr)
        return 2
    commands[argv[1]][0](*argv[2:])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
