#!/usr/bin/env bash
# Runs clang-format --dry-run --Werror over every C++ source of the
# project's folders and fails listing the files it would change. Exit code
# 77 (skipped) where clang-format is not installed (scripts/deps.sh build
# installs it).
#   tests/format/format_check.sh SOURCE_DIR
set -euo pipefail
cd "$1"
if ! command -v clang-format >/dev/null; then
  echo "format: SKIPPED: clang-format is not installed"
  exit 77
fi
mapfile -t sources < <(find app math raster scene platform tests bench -path '*/node_modules' -prune -o \
  -type f \( -name '*.cpp' -o -name '*.h' \) -print | sort)
unformatted=()
for file in "${sources[@]}"; do
  clang-format --style=file --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
if ((${#unformatted[@]})); then
  echo "format: FAILED: not as .clang-format says (clang-format -i fixes them):" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "format: ${#sources[@]} sources follow .clang-format"
