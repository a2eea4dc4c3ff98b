#!/bin/sh
# CTest entry of the parser check: writes the corpus of scripts, then parses every batch.
#   run-check.sh CORPUS-WRITER OUTDIR [SNAPSHOT...]   (snapshots that do not exist are left out)
# Exits 77 (skipped) when node or the parser packages are missing.
set -u
here=$(dirname "$0")
writer=$1
out=$2
shift 2
if ! command -v node >/dev/null 2>&1; then
    echo "SKIP: node is not installed; the T-SQL parser check needs it"
    exit 77
fi
if [ ! -d "$here/node_modules/antlr4ts-sql" ]; then
    echo "SKIP: the T-SQL parser is not installed; run scripts/prepare-test-tools (needs the npm registry)"
    exit 77
fi
rm -rf "$out"
snapshots=""
for s in "$@"; do
    if [ -f "$s" ]; then snapshots="$snapshots $s"; else echo "note: $s is not built; only the fixtures are checked"; fi
done
# shellcheck disable=SC2086
"$writer" "$out" $snapshots || exit 1
exec node "$here/check.js" "$out"
