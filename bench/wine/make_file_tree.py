#!/usr/bin/env python3
"""Creates COUNT empty files with real names in nested folders under DEST,
for timing the launcher over a user's worth of files.

The names and the shape of the tree are those of a real one (SAMPLE, by
default /usr): its relative paths are copied, in a fixed order, under a
few top folders named like installed programs until COUNT files exist.
Names Windows cannot hold, and paths too long for DEST's own prefix, are
left out. Prints the number of files and folders made.

    make_file_tree.py DEST COUNT [SAMPLE]
"""
import os
import sys

# Top folders, as a Start Menu has them; each holds one copy of the sample.
ROOTS = ["Adobe", "Microsoft Office", "Mozilla Firefox", "Notepad++", "7-Zip", "VideoLAN",
         "Git", "Python 3.11", "Steam", "JetBrains", "Autodesk", "LibreOffice", "GIMP 2",
         "Audacity", "Inkscape", "Blender Foundation", "Oracle VM VirtualBox", "Zoom"]
NOT_IN_WINDOWS_NAMES = set('<>:"\\|?*')
# Under a Start Menu folder of about 70 characters, within MAX_PATH.
MAX_RELATIVE = 150


def usable(name):
    if name.endswith((".", " ")) or any(c in NOT_IN_WINDOWS_NAMES or ord(c) < 32 for c in name):
        return False
    try:
        name.encode("utf-8")
    except UnicodeEncodeError:  # bytes that are no UTF-8
        return False
    return True


def sample_paths(sample):
    """The sample's file paths relative to it, sorted, one name per folder
    however it is capitalised (Windows would see one file)."""
    paths = []
    for folder, dirs, files in os.walk(sample):
        dirs[:] = sorted(d for d in dirs if usable(d))
        relative = os.path.relpath(folder, sample)
        seen = set()
        for name in sorted(files):
            if not usable(name) or name.lower() in seen:
                continue
            seen.add(name.lower())
            path = name if relative == "." else os.path.join(relative, name)
            if len(path) <= MAX_RELATIVE:
                paths.append(path)
    return paths


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    dest, count = sys.argv[1], int(sys.argv[2])
    sample = sys.argv[3] if len(sys.argv) > 3 else "/usr"
    paths = sample_paths(sample)
    if not paths:
        sys.exit("no usable files under " + sample)
    made_files = 0
    made_folders = set()
    for copy in range(len(ROOTS) * 1000):
        if made_files >= count:
            break
        root = ROOTS[copy % len(ROOTS)] + ("" if copy < len(ROOTS) else " " + str(copy // len(ROOTS) + 1))
        for relative in paths:
            if made_files >= count:
                break
            path = os.path.join(dest, root, relative)
            folder = os.path.dirname(path)
            if folder not in made_folders:
                os.makedirs(folder, exist_ok=True)
                made_folders.add(folder)
            os.close(os.open(path, os.O_CREAT | os.O_WRONLY, 0o644))
            made_files += 1
    print(f"{made_files} files in {len(made_folders)} folders")


if __name__ == "__main__":
    main()
