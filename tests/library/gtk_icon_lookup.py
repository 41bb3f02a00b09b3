#!/usr/bin/python3
"""GTK's own icon lookup finds what `pictavo-cli extract --theme` writes.

Usage: gtk_icon_lookup.py PICTAVO-CLI FIXTURES

For each icon below, every written file must be what Gtk.IconTheme (with the theme
folder on its search path) finds for the icon name at that size: the file in the SxS
folder, S x S pixels. An exact 32-bit image must have the pixels `extract --png` writes.
Exits 77 (skipped) when PyGObject with GTK 3 or the hicolor theme's index is missing.
"""

import os
import re
import struct
import subprocess
import sys
import tempfile

SKIP = 77
SYSTEM_ICONS = "/usr/share/icons"  # where the hicolor theme's index.theme lives

try:
    import gi

    gi.require_version("Gtk", "3.0")
    gi.require_version("GdkPixbuf", "2.0")
    from gi.repository import GdkPixbuf, Gtk
except (ImportError, ValueError) as error:
    print(f"skipped: PyGObject with GTK 3 is not installed ({error})")
    sys.exit(SKIP)

if not os.path.exists(os.path.join(SYSTEM_ICONS, "hicolor", "index.theme")):
    print("skipped: the hicolor icon theme (hicolor-icon-theme) is not installed")
    sys.exit(SKIP)

cli, fixtures = sys.argv[1], sys.argv[2]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def run(*args):
    return subprocess.run([cli, *args], capture_output=True, text=True, check=False)


def ico_of_png(png):
    """An icon file of one PNG image."""
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", 0, 0, 0, 0, 1, 32, len(png), 6 + 16)
    return header + entry + png


def png_of_40_pixel_picture(folder):
    pixbuf = GdkPixbuf.Pixbuf.new(GdkPixbuf.Colorspace.RGB, True, 8, 40, 40)
    pixbuf.fill(0x3080C0FF)
    path = os.path.join(folder, "forty.png")
    pixbuf.savev(path, "png", [], [])
    with open(path, "rb") as file:
        return file.read()


def pixels(path):
    pixbuf = GdkPixbuf.Pixbuf.new_from_file(path)
    return pixbuf.get_width(), pixbuf.get_height(), pixbuf.get_has_alpha(), bytes(
        pixbuf.get_pixels()
    )


def lookup_written(theme_folder, name, args, expected_sizes):
    done = run("extract", *args, "--theme", theme_folder, "--name", name)
    check(done.returncode == 0, f"{name}: exit {done.returncode}: {done.stderr.strip()}")
    written = done.stdout.splitlines()
    sizes = [int(re.search(r"/(\d+)x\1/apps/", path).group(1)) for path in written]
    check(sizes == expected_sizes, f"{name}: sizes {sizes}, expected {expected_sizes}")

    theme = Gtk.IconTheme.new()
    theme.set_search_path([theme_folder, SYSTEM_ICONS])
    for size, path in zip(sizes, written):
        check(path == os.path.join(theme_folder, "hicolor", f"{size}x{size}", "apps", name + ".png"),
              f"{name}: {path} is not in the {size}x{size} folder")
        info = theme.lookup_icon(name, size, 0)
        if info is None:
            check(False, f"{name}: GTK finds nothing at {size}")
            continue
        found = info.get_filename()
        check(os.path.realpath(found) == os.path.realpath(path),
              f"{name} at {size}: GTK finds {found}, not {path}")
        pixbuf = info.load_icon()
        check((pixbuf.get_width(), pixbuf.get_height()) == (size, size),
              f"{name} at {size}: GTK loads {pixbuf.get_width()} x {pixbuf.get_height()}")
    return written


with tempfile.TemporaryDirectory() as work:
    theme_folder = os.path.join(work, "icons")
    dll = os.path.join(fixtures, "pe", "icons32.dll")
    all_sizes = [16, 22, 24, 32, 48, 64, 96, 128, 256]

    # Group 101 of icons32.dll: a 32-pixel image at 32 bits and a 256-pixel PNG.
    lookup_written(theme_folder, "by-id", [dll, "--id", "101"], all_sizes)
    exported = run("extract", dll, "--png", "-i", "2", "-o", work)
    check(exported.returncode == 0, f"extract --png: {exported.stderr.strip()}")
    exact = os.path.join(theme_folder, "hicolor", "32x32", "apps", "by-id.png")
    check(pixels(exact) == pixels(os.path.join(work, "icons32_2_32x32_32bit.png")),
          "the exact 32-bit image differs from what extract --png writes")

    forty = os.path.join(work, "forty.ico")
    with open(forty, "wb") as file:
        file.write(ico_of_png(png_of_40_pixel_picture(work)))
    lookup_written(theme_folder, "forty", [forty], [16, 22, 24, 32])
    lookup_written(theme_folder, "cursor", [os.path.join(fixtures, "pe", "arrow.cur")],
                   [16, 22, 24, 32])
    lookup_written(theme_folder, "bitmap-256", [os.path.join(fixtures, "icons", "large256.ico")],
                   all_sizes)

for failure in failures:
    print("FAILED:", failure)
sys.exit(1 if failures else 0)
