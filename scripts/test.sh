#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test, one stage after another: the
# formatting check, the full build with its tests, the programs as shipped with their install tree
# and Debian package, the Qt-free libraries again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then each fuzz target for a fixed time on its seed corpus. Each stage
# prints its heading and, when done, how long it took.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/deps.sh
jobs=$(nproc)

stage() {
    local name=$1
    shift
    echo "== $name"
    local started=$SECONDS
    "$@"
    echo "== $name: done in $((SECONDS - started)) s"
}

formatting() {
    git ls-files -z '*.cpp' '*.h' | xargs -0 -r clang-format --dry-run -Werror
}

full_build() {
    bash scripts/build.sh ci
    ctest --preset ci --parallel "$jobs"
}

# The shipped build has no tests of its own; warnings still fail it here, and its package is
# unpacked and its programs run as a user would.
release_package() {
    bash scripts/build.sh release -DQUANDRELLE_WERROR=ON
    rm -rf build-release/package
    cpack --preset release >/dev/null
    bash tests/desktop/check-package.sh build-release/package/*.deb examples/benzene-half-mask.json
    # The shipped programs are built with other optimisations than the tested ones; their results
    # must still be the tested results to the last digit.
    for example in examples/*.json; do
        if ! cmp -s <(build/bin/quandrelle-calc "$example" --json) \
            <(build-release/bin/quandrelle-calc "$example" --json); then
            echo "release build: $example gives other results than the tested build" >&2
            return 1
        fi
    done
}

# The offscreen platform hands out the focus differently from a real display; the screen tests
# that concern the focus run once more where windows are activated as on a desktop.
focus_on_a_display() {
    xvfb-run -a -s "-screen 0 1280x1024x24" sh -c \
        'openbox >/dev/null 2>&1 & sleep 1; QT_QPA_PLATFORM=xcb timeout 300 build/tests/screens/screens_tests --gtest_filter="*Focus*"'
}

sanitizers() {
    bash scripts/build.sh asan
    ctest --preset asan --parallel "$jobs"
}

stage "formatting" formatting
stage "full build" full_build
stage "screen tests that concern the focus, on an X display with a window manager" focus_on_a_display
stage "release build and package" release_package
stage "Qt-free libraries under AddressSanitizer and UndefinedBehaviorSanitizer" sanitizers
stage "fuzzing" bash scripts/fuzz.sh
