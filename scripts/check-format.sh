#!/usr/bin/env bash
# Fails, naming the files, when clang-format (14, the repo's .clang-format) would change any
# C++ file in the tree. Changes nothing; `make format` applies the formatting.
set -euo pipefail
cd "$(dirname "$0")/.."

clang_format=${CLANG_FORMAT:-$(command -v clang-format-14 || command -v clang-format || true)}
if [[ -z $clang_format ]]; then
  echo "check-format: clang-format not found (scripts/install-deps.sh installs it)" >&2
  exit 2
fi

# Fixture folders hold test inputs, not the project's code.
mapfile -d '' files < <(find src tests bench fuzz tools -name fixtures -prune -o \
  -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)

status=0
output=$(printf '%s\0' "${files[@]}" | xargs -0 "$clang_format" --dry-run --Werror 2>&1) || status=$?
if [[ $status -eq 0 ]]; then
  echo "check-format: ${#files[@]} files formatted"
  exit 0
fi

# Each violation is reported as FILE:LINE:COL: error: ...; anything else is a failure of the tool.
mapfile -t unformatted < <(sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' \
  <<<"$output" | sort -u)
if [[ ${#unformatted[@]} -eq 0 ]]; then
  echo "$output" >&2
  echo "check-format: $clang_format failed" >&2
  exit 2
fi
echo "check-format: ${#unformatted[@]} of ${#files[@]} files need clang-format (make format):" >&2
printf '  %s\n' "${unformatted[@]}" >&2
exit 1
