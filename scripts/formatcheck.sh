#!/usr/bin/env bash
# Fails, naming each file, when clang-format (14, with the root .clang-format) would change any
# tracked C++ file of the folders below; `clang-format -i FILE` mends one.
set -euo pipefail
cd "$(dirname "$0")/.."

folders=(include src tools tests bench fuzz examples games)

# Another version formats some constructs differently: use 14 by name where both are installed.
format=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$format" ]; then
    echo "formatcheck: clang-format is not installed (scripts/setup.sh installs it)" >&2
    exit 1
fi

# Git's patterns match across folders: src/*.cpp is every .cpp below src.
patterns=()
for folder in "${folders[@]}"; do
    patterns+=("$folder/*.cpp" "$folder/*.h")
done
changed=()
while IFS= read -r -d '' file; do
    if ! "$format" --dry-run --Werror "$file" >/dev/null 2>&1; then
        changed+=("$file")
    fi
done < <(git ls-files -z -- "${patterns[@]}")

if [ ${#changed[@]} -gt 0 ]; then
    printf 'formatcheck: clang-format would change %s\n' "${changed[@]}" >&2
    exit 1
fi
