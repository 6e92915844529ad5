#!/bin/sh
# Rebuilds the level target's seed corpus: the level sources in fuzz/seeds and the demo level.
# Usage: fuzz/corpus.sh LEVELC
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
levelc=$1
for source in "$repo"/fuzz/seeds/*.txt "$repo/data/levels/blk301a.tmx"; do
    name=$(basename "${source%.*}")
    "$levelc" "$source" "$repo/fuzz/corpus/level/$name"
done
