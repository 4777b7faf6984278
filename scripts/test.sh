#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds with warnings as errors under
# AddressSanitizer and UndefinedBehaviorSanitizer, runs the whole suite (headless tests on
# the offscreen platform, real-window tests under Xvfb), builds and checks the Debian
# package, and ends with a short fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

sources=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -path ./build\* -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
if ! clang-format --dry-run --Werror $sources; then
    echo "Unformatted code: run clang-format -i on the files above." >&2
    exit 1
fi

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTREL_WERROR=ON \
    -DVANTREL_SANITIZE=ON -DBUILD_BENCHMARKS=ON >/dev/null
cmake --build build-test

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir build-test --output-on-failure -j2

# The size of the tests against the code they test, in code lines: all of tests/ and fuzz/
# against every C++ file outside tests/, fuzz/ and benchmarks/.
lines() { cloc --quiet --csv "$@" | awk -F, '$2 == "SUM" { print $5 }'; }
product=$(mktemp)
trap 'rm -f "$product"' EXIT
{ git ls-files '*.cpp' '*.h' 2>/dev/null || find . -name build\* -prune -o \( -name '*.cpp' -o -name '*.h' \) -print; } |
    sed 's|^\./||' | grep -v -E '^(tests|fuzz|benchmarks)/' >"$product"
awk -v tests="$(lines tests fuzz)" -v code="$(lines --list-file="$product")" \
    'BEGIN { printf "test code: %d lines in tests/ and fuzz/, %d of C++ elsewhere but benchmarks/: ratio %.2f\n",
             tests, code, tests / code }'

bash scripts/check-package.sh

bash scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
