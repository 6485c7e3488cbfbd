#!/usr/bin/env bash
# clang-tidy (.clang-tidy) and cppcheck over the project's own sources,
# clang-format (.clang-format) over every C++ file, and mypy --strict over the
# Python package, its tests and the Python scripts of scripts/: all must be
# clean. The library's sources (vekxapi/src) include only each other and its
# public header, nothing of the programs above it (common/, simulator/,
# tools/, console/) nor the wire header that hands the library on to them.
# The Windows-only sources (the console's window, the Winsock layer) go
# through clang-tidy with the compile commands of a mingw-w64 build. Every
# step runs, and says how long it took; the summary counts those that passed
# and failed.
set -euo pipefail
cd "$(dirname "$0")/../.."
passed=0
failed=0
# step NAME COMMAND...: one analysis, counted and timed.
step() {
  local name=$1 start=$SECONDS
  echo "== $name"
  shift
  if "$@"; then passed=$((passed + 1)); else
    echo "FAIL: $*" | cut -c1-200
    failed=$((failed + 1))
  fi
  echo "-- $name: $((SECONDS - start)) s"
}
jobs=$(nproc)
# The analysers read the compile commands of the Release build that
# scripts/test-all.sh has made (VEKX_ANALYSIS_BUILD names another); run
# alone, this configures it and builds only what generates sources: Qt's moc
# (the *_autogen targets) and the libraries that compile generated tables.
build=${VEKX_ANALYSIS_BUILD:-build}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVEKX_WERROR=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
elif [ ! -f "$build/compile_commands.json" ]; then
  cmake -S . -B "$build" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
fi
# The targets as make lists them ("... NAME") or Ninja ("NAME: phony").
mapfile -t generating < <(cmake --build "$build" --target help |
  sed -n 's/^\(\.\.\. \)\{0,1\}\([A-Za-z0-9_]*_autogen\)\(: phony\)\{0,1\}$/\2/p')
cmake --build "$build" -j"$jobs" --target "${generating[@]}" vekx_common vekxsim_web_rules >/dev/null

# The Windows-only sources are not in this Linux build's compile database.
# So are the Windows parts of the programs' platform contracts (*_windows.cpp)
# and the stand-ins of what a Windows build lacks (*_absent.cpp).
sources=$(git ls-files '*.cpp' | grep -v -E '^(fuzz|bench|tools/windows|console/win32|console/tests/win32)/' |
  grep -v -E '(winsock|_windows|_absent)\.cpp$')
# Path analysis (clang-analyzer-*) follows every branch of the code; on the
# GoogleTest and Qt Test files, named as scripts/checks/test-ratio.sh counts
# tests, it costs most of the time and finds nothing the other checks miss.
test_pattern='(^|/)(tests?|fuzz)/|(^|/)tst_[^/]*$|_test\.[a-z]+$'
code_sources=$(grep -v -E "$test_pattern" <<<"$sources")
test_sources=$(grep -E "$test_pattern" <<<"$sources")
windows_sources=$(git ls-files 'console/win32/*.cpp' 'vekxapi/src/platform/winsock*.cpp' '*_windows.cpp' '*_absent.cpp')
# The compiler's posix threads: vekxsim's and vekx's Windows sources use the
# C++ threads, which its win32 threads lack; the console's compile either way.
# A build folder of the win32 compiler (made before) is made anew.
grep -q 'g++-posix' build-analysis-win/CMakeCache.txt 2>/dev/null || rm -rf build-analysis-win
cmake -S . -B build-analysis-win --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
  -DVEKX_MINGW_THREADS=posix -DVEKX_BUILD_TESTS=OFF -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
  -DCMAKE_CXX_USE_RESPONSE_FILE_FOR_INCLUDES=OFF >/dev/null
# clang knows no -fno-keep-inline-dllexport (GCC's hidden inlines on
# Windows), and finds the C++ library of Debian's mingw-w64 only when told:
# the compiler's own search list, less its C headers.
sed -i 's/ -fno-keep-inline-dllexport//' build-analysis-win/compile_commands.json
windows_args=(--extra-arg=--target=x86_64-w64-mingw32)
for dir in $(echo | x86_64-w64-mingw32-g++-posix -x c++ -E -v - 2>&1 |
  sed -n '/#include <...> search starts here:/,/End of search list./p' | grep '/c++'); do
  windows_args+=("--extra-arg=-isystem$dir")
done

# A quoted include must resolve beside the file, in vekxapi/src or in
# vekxapi/include, and stay there; a bracketed one must not name a header the
# project keeps outside them.
library_stands_alone() {
  local f name dir found bad=() src include outside
  src=$(realpath vekxapi/src)
  include=$(realpath vekxapi/include)
  outside=$(git ls-files '*.h' | grep -v -E '^vekxapi/(src|include)/' | xargs -n1 basename | sort -u)
  for f in $(git ls-files 'vekxapi/src/*.cpp' 'vekxapi/src/*.h'); do
    while IFS= read -r name; do
      found=
      for dir in "$(dirname "$f")" vekxapi/src vekxapi/include; do
        if [ -e "$dir/$name" ]; then
          found=$(realpath "$dir/$name")
          break
        fi
      done
      case "$found" in
        "$src"/* | "$include"/*) ;;
        *) bad+=("$f: \"$name\"") ;;
      esac
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$f")
    while IFS= read -r name; do
      if grep -q -x -F "$(basename "$name")" <<<"$outside"; then bad+=("$f: <$name>"); fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<\([^>]*\)>.*/\1/p' "$f")
  done
  [ "${#bad[@]}" -eq 0 ] && return
  echo "the library includes what lies outside vekxapi/src and vekxapi/include; move what it needs into vekxapi/src:"
  printf '  %s\n' "${bad[@]}"
  return 1
}
step "library includes" library_stands_alone

# One clang-format for every file (a process a file costs thirty times the
# time): it names each place it would change.
formatted() {
  local said status=0 unformatted
  said=$(git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 --style=file --dry-run 2>&1) || status=$?
  if [ "$status" -ne 0 ]; then
    echo "clang-format-14 could not read every file (status $status): $(head -5 <<<"$said")"
    return 1
  fi
  unformatted=$(sed -n 's/^\(.*\):[0-9]*:[0-9]*: [a-z]*: code should be clang-formatted.*/\1/p' <<<"$said" | sort -u)
  [ -z "$unformatted" ] && return
  echo "not formatted as .clang-format says (clang-format-14 -i FILE):"
  sed 's/^/  /' <<<"$unformatted"
  return 1
}
step clang-format formatted
step cppcheck cppcheck --project="$build/compile_commands.json" --library=googletest --library=qt \
  --library=posix --enable=warning,performance,portability \
  --inline-suppr --error-exitcode=1 --quiet -j "$jobs" \
  --suppress=missingIncludeSystem --suppress=unmatchedSuppression --suppress=preprocessorErrorDirective \
  --suppress="*:$(realpath "$build")/*" --suppress='*:/usr/*'
# The Python package's types as its annotations and py.typed promise them,
# and those of its tests and of the scripts.
mapfile -t python_scripts < <(git ls-files 'scripts/*.py')
step "mypy --strict" mypy --strict --cache-dir "$build/mypy-cache" python/vekxapi python/tests "${python_scripts[@]}"

# clang-tidy last, a process a file in one pool of $jobs: the code's files
# (path analysis, the longest) first, then the tests' and the Windows
# sources', so that the pool ends on short files and no processor waits
# long on another's last one. The compile commands are g++'s: clang knows
# not every warning option they switch off (-Wno-restrict, for g++ 12
# alone); the warnings are g++'s to report (the Release build makes them
# errors), the checks clang-tidy's.
tidy_file() {
  local common=(clang-tidy-14 --quiet --extra-arg=-Wno-unknown-warning-option --extra-arg=-Wno-error) status=0
  case $1 in
    code) "${common[@]}" -p "$build" "$2" ;;
    test) "${common[@]}" -p "$build" '--checks=-clang-analyzer-*' "$2" ;;
    windows)
      # shellcheck disable=SC2086  # one option a word
      "${common[@]}" -p build-analysis-win $tidy_windows_args "$2"
      ;;
  esac 2>/dev/null || status=$?
  [ "$status" -eq 0 ] || echo "clang-tidy: $2 ($1) fails the checks of .clang-tidy named above (status $status)"
  return "$status"
}
tidy_all() {
  export -f tidy_file
  export build tidy_windows_args="${windows_args[*]}"
  # shellcheck disable=SC2086  # one file name per word
  { printf 'code %s\n' $code_sources; printf 'test %s\n' $test_sources; printf 'windows %s\n' $windows_sources; } |
    xargs -P "$jobs" -L 1 bash -c 'tidy_file "$@"' tidy_file
}
step "clang-tidy (path analysis on the code alone)" tidy_all
echo "static analysis: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
