#!/usr/bin/env bash
# check-format.sh <source tree>
#
# Fails, naming the places, when a C++ file of the tree is not as clang-format
# makes it with the tree's .clang-format: the files git tracks, or in a tree
# without git every .cpp and .h outside build/.
set -euo pipefail

cd "$1"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
else
    find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0 |
        xargs -0 clang-format --dry-run --Werror
fi
