#!/usr/bin/env bash
# Fails, listing the offenders, when the engine library defines a global symbol outside
# namespace tarvo: any dynamic symbol of a shared library (libtarvo.so.1), or any global text,
# data, bss or read-only symbol of a static one (libtarvo.a).
#   scripts/symbolcheck.sh LIBRARY...
set -euo pipefail
if [ $# -eq 0 ]; then
    echo "usage: scripts/symbolcheck.sh LIBRARY..." >&2
    exit 2
fi
status=0
for library in "$@"; do
    case $library in
    *.a) symbols=$(nm -C "$library" | awk '$2 ~ /^[TDBR]$/') ;;
    *) symbols=$(nm -DC --defined-only "$library") ;;
    esac
    outside=$(grep -v 'tarvo::' <<<"$symbols" || true)
    total=$(grep -c . <<<"$symbols" || true)
    if [ -n "$outside" ]; then
        echo "$library: $(grep -c . <<<"$outside") of $total symbols outside namespace tarvo:"
        echo "$outside"
        status=1
    else
        echo "$library: $total symbols, all in namespace tarvo"
    fi
done
exit $status
