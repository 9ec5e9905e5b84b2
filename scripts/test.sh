#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test: the full build first, then the
# Qt-free libraries again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/deps.sh

echo "== formatting"
git ls-files -z '*.cpp' '*.h' | xargs -0 -r clang-format --dry-run -Werror

echo "== full build"
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure --parallel "$(nproc)" --timeout 300

echo "== Qt-free libraries under AddressSanitizer and UndefinedBehaviorSanitizer"
bash scripts/build.sh build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUANDRELLE_GUI=OFF -DQUANDRELLE_SANITIZE=ON
ctest --test-dir build-sanitize --output-on-failure --parallel "$(nproc)" --timeout 600
