#!/usr/bin/env bash
# Prints the size of the tests against the size of the code they test, in lines that are not blank.
# Tests: the test code, its helpers and the scripts that make fixtures (tests/, not the fixture data).
# Code: the sources of the core library and the two programs.
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' -o -name '*.py' -o -name '*.sh' \) -print0 |
        xargs -0 cat | grep -cv '^[[:space:]]*$'
}

tests=$(count tests)
code=$(count acquire app cli common forms store totals writers)
share=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.1f", 100 * t / c }')
echo "Test size: ${tests} lines of tests for ${code} lines of code (${share} %; the aim is at most 40 %)"
