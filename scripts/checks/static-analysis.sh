#!/usr/bin/env bash
# clang-tidy (.clang-tidy) and cppcheck over the project's own sources, and
# clang-format (.clang-format) over every C++ file: all must be clean.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build-analysis -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DVEKX_BUILD_FUZZ=OFF >/dev/null
# Qt's generated sources (moc, autogen) must exist before the analysers look.
cmake --build build-analysis -j2 >/dev/null

# The Windows-only sources are not in this Linux build's compile database.
sources=$(git ls-files '*.cpp' | grep -v -E '^(fuzz|bench|tools/windows|console/win32|console/tests/win32)/' | grep -v -E 'winsock\.cpp$')

echo "== clang-format"
unformatted=$(for f in $(git ls-files '*.cpp' '*.h'); do
  clang-format-14 --style=file "$f" | cmp -s - "$f" || echo "$f"
done)
if [ -n "$unformatted" ]; then
  echo "not formatted as .clang-format says:"; echo "$unformatted"; exit 1
fi

echo "== clang-tidy"
printf '%s\n' $sources | xargs -P 2 -n 4 clang-tidy-14 -p build-analysis --quiet 2>/dev/null

echo "== cppcheck"
cppcheck --project=build-analysis/compile_commands.json --library=googletest --library=qt --library=posix \
  --enable=warning,performance,portability \
  --inline-suppr --error-exitcode=1 --quiet -j 2 \
  --suppress=missingIncludeSystem --suppress=unmatchedSuppression --suppress=preprocessorErrorDirective \
  --suppress='*:*/build-analysis/*' --suppress='*:/usr/*'
echo "static analysis: 3 passed, 0 failed"
