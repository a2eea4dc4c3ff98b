#!/bin/sh
# CTest entry of the parser check of table data: the sample's data-only command file is
# generated with tavilc (rows, with each table's constraints and triggers turned off and on
# around them), then every batch is parsed.
#   run-data-check.sh TAVILC COMMAND-FILE OUTDIR
# Exits 77 (skipped) when node, the parser packages, tavilc or the sample are missing.
set -u
here=$(dirname "$0")
tavilc=$1
qvx=$2
out=$3
if ! command -v node >/dev/null 2>&1; then
    echo "SKIP: node is not installed; the T-SQL parser check needs it"
    exit 77
fi
if [ ! -d "$here/node_modules/antlr4ts-sql" ]; then
    echo "SKIP: the T-SQL parser is not installed; run scripts/prepare-test-tools (needs the npm registry)"
    exit 77
fi
for f in "$tavilc" "$qvx"; do
    if [ ! -f "$f" ]; then
        echo "SKIP: $f is not built"
        exit 77
    fi
done
rm -rf "$out"
mkdir -p "$out/config"
# A settings folder of its own: the run reads preferences and must not see the user's.
XDG_CONFIG_HOME="$out/config" "$tavilc" generate "$qvx" -o "$out/$(basename "$qvx" .qvx).sql" || exit 1
exec node "$here/check.js" "$out"
