#!/bin/sh
# Runs a check that exits 77 (skipped) when an outside tool it compares with
# is missing; where every such tool is installed (QUELVIX_TEST_TOOLS_REQUIRED=1,
# set by scripts/test) that skip is a failure.
"$@"
status=$?
if [ "$status" -eq 77 ] && [ "${QUELVIX_TEST_TOOLS_REQUIRED:-}" = 1 ]; then
    echo "a tool this check needs is missing (scripts/test installs it)" >&2
    exit 1
fi
exit "$status"
