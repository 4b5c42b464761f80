#!/usr/bin/env bash
# Fails, naming the files, when a C++ file differs from what clang-format
# makes of it under .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
unformatted=()
while IFS= read -r file; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done < <(git ls-files '*.cpp' '*.h')
if [ ${#unformatted[@]} -gt 0 ]; then
    echo "not formatted as .clang-format says (run clang-format -i on them):" >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    exit 1
fi
echo "every C++ file is formatted"
