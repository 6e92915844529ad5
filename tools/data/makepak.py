"""Packs every file under the staging directory into a zip archive, byte for byte the same on
every build: names sorted and relative to the staging directory, one fixed timestamp, fixed
permissions, deflate at a fixed level, and no directory entries.

usage: makepak.py STAGING_DIR OUT.zip
"""
import os
import sys
import zipfile

TIMESTAMP = (2026, 1, 1, 0, 0, 0)
PERMISSIONS = 0o100644  # a regular file, rw-r--r--


def staged_files(staging):
    names = []
    for root, _, files in os.walk(staging):
        for name in files:
            path = os.path.join(root, name)
            names.append(os.path.relpath(path, staging).replace(os.sep, "/"))
    return sorted(names)


def make_pak(staging, out_path):
    # Written beside the target and renamed, so a failed build never leaves half an archive
    # where the engine would find it.
    partial = out_path + ".partial"
    with zipfile.ZipFile(partial, "w") as pak:
        for name in staged_files(staging):
            info = zipfile.ZipInfo(name, date_time=TIMESTAMP)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3  # Unix, so the permissions below are read as such
            info.external_attr = PERMISSIONS << 16
            with open(os.path.join(staging, name), "rb") as source:
                pak.writestr(info, source.read(), compress_type=zipfile.ZIP_DEFLATED,
                             compresslevel=9)
    os.replace(partial, out_path)


def main(argv):
    staging, out_path = argv[1:3]
    os.makedirs(os.path.dirname(os.path.abspath(out_path)), exist_ok=True)
    make_pak(staging, out_path)


if __name__ == "__main__":
    main(sys.argv)
