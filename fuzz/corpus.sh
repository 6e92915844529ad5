#!/bin/sh
# Rebuilds the seed corpus: the level sources in fuzz/seeds and the demo level, compiled
# into fuzz/corpus/level.
# Usage: fuzz/corpus.sh LEVELC
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
levelc=$1
for source in "$repo"/fuzz/seeds/*.txt "$repo/data/levels/blk301a.txt"; do
    name=$(basename "$source" .txt)
    "$levelc" "$source" "$repo/fuzz/corpus/level/$name"
done
