#!/usr/bin/env bash
# Counts non-blank lines of code and of tests, and their ratio (tests over code). Code is the
# engine, tools, scripts, benchmarks, fuzz targets, examples, games and the build files; tests
# are everything under tests/. Data (level sources, corpora, golden files, replays, pictures)
# is not counted.
set -euo pipefail
cd "$(dirname "$0")/.."

sources() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.py' -o -name '*.sh' \
        -o -name '*.cmake' -o -name '*.cmake.in' -o -name '*.pc.in' -o -name CMakeLists.txt \
        -o -name Makefile \) \
        -not -path 'fuzz/corpus/*' -not -path 'tests/golden/*' 2>/dev/null
}
count() { sources "$@" | sort | xargs -r cat | grep -cv '^[[:space:]]*$' || true; }

code=$(( $(count include src tools scripts bench fuzz cmake examples games) + $(count data) + $(count CMakeLists.txt Makefile) ))
tests=$(count tests)
echo "code $code"
echo "tests $tests"
awk -v t="$tests" -v c="$code" 'BEGIN { printf "ratio %.2f\n", c ? t / c : 0 }'
