#!/bin/sh
# The layer check over a small tree with one include up and one sideways: both are named, in
# order, and the check fails; over the project itself it passes.
# usage: check_layers_test.sh CHECK_LAYERS FIXTURE_DIR PROJECT_DIR
check=$1 fixture=$2 project=$3
out=$("$check" "$fixture/tree")
status=$?
if [ "$status" -ne 1 ] || [ "$out" != "$(cat "$fixture/expected.txt")" ]; then
    echo "over the fixture: exit $status, output:"
    echo "$out"
    exit 1
fi
"$check" "$project"
