#!/bin/sh
# Rebuilds the seed corpus: the level sources in fuzz/seeds and the demo level, compiled.
# Usage: fuzz/corpus.sh LEVELC
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
levelc=$1
for source in "$repo"/fuzz/seeds/*.txt "$repo/data/levels/blk301a.tmx"; do
    name=$(basename "${source%.*}")
    "$levelc" "$source" "$repo/fuzz/corpus/$name"
done
