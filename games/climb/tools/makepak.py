"""Packs every file under a folder into a zip the game reads as its pak, the same bytes on each
build: names sorted and relative to the folder, one time stamp, rw-r--r-- for all, deflated at
the best level, no folder entries. Written beside OUT and renamed, so a failed run never leaves
half a pak where the game would find it.

usage: makepak.py FOLDER OUT.zip
"""
import os
import sys
import zipfile


def main(argv):
    folder, out = argv[1], argv[2]
    names = sorted(os.path.relpath(os.path.join(root, name), folder).replace(os.sep, "/")
                   for root, _, files in os.walk(folder) for name in files)
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    with zipfile.ZipFile(out + ".partial", "w") as pak:
        for name in names:
            entry = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
            entry.create_system = 3  # Unix, so the permissions are read as such
            entry.external_attr = 0o100644 << 16
            with open(os.path.join(folder, name), "rb") as source:
                pak.writestr(entry, source.read(), zipfile.ZIP_DEFLATED, 9)
    os.replace(out + ".partial", out)


if __name__ == "__main__":
    main(sys.argv)
