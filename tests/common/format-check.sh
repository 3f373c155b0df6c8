#!/bin/sh
# Every C++ source of the checkout matches the committed .clang-format. Skipped (77) where clang-format
# or git is missing, or outside a git checkout.
cd "$1" || exit 1
command -v clang-format >/dev/null 2>&1 || exit 77
command -v git >/dev/null 2>&1 || exit 77
git rev-parse --is-inside-work-tree >/dev/null 2>&1 || exit 77
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
