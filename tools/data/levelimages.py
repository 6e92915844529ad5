"""Stages the images a Tiled map names that the generators do not paint. Those are drawn by
hand and kept beside the map under the names its image layers and tileset give them; each is
copied to the same name under the staging folder, so a tile drawn into the tileset and painted
into the map is packed with the rest after the next build.

usage: levelimages.py MAP OUTDIR LIST [PAINTED ...]
  PAINTED: names, as the map gives them, that the generators write into OUTDIR themselves.
  LIST: written last, the names copied, one a line (the build's record that the step ran).
"""
import os
import shutil
import sys
from xml.etree import ElementTree


def named_images(map_path):
    """The image names of a TMX map and of its external tilesets, relative to the map's folder."""
    folder = os.path.dirname(map_path)
    root = ElementTree.parse(map_path).getroot()
    names = [image.get("source") for image in root.iter("image")]
    for tileset in root.iter("tileset"):
        source = tileset.get("source")
        if source:
            beside = os.path.dirname(source)
            tiles = ElementTree.parse(os.path.join(folder, source)).iter("image")
            names += [os.path.normpath(os.path.join(beside, image.get("source")))
                      for image in tiles]
    return names


def main(map_path, out, listing, *painted):
    folder = os.path.dirname(map_path)
    drawn = sorted(set(named_images(map_path)) - set(painted))
    # Every name is checked before anything is copied, so a failed run stages nothing.
    for name in drawn:
        if os.path.isabs(name) or name.split(os.sep)[0] == os.pardir:
            sys.exit(f"{map_path}: the image {name} is not inside the map's folder")
        if not os.path.isfile(os.path.join(folder, name)):
            sys.exit(f"{map_path}: the image {name} is neither painted nor beside the map")
    for name in drawn:
        os.makedirs(os.path.dirname(os.path.join(out, name)), exist_ok=True)
        shutil.copyfile(os.path.join(folder, name), os.path.join(out, name))
    with open(listing, "w") as f:
        f.write("".join(name + "\n" for name in drawn))


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
