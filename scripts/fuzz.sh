#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a fixed time (FUZZ_SECONDS, 30 by
# default) on its seed corpus in fuzz/corpus. New inputs go to a scratch folder, not the corpus; a
# crash stops the script with the input that caused it, to be added to the corpus with its fix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-30}
targets=(number scenario csv records)

CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DQUANDRELLE_GUI=OFF -DBUILD_TESTING=OFF \
  -DQUANDRELLE_BENCHMARKS=OFF -DQUANDRELLE_WERROR=ON -DQUANDRELLE_FUZZ=ON >/dev/null
cmake --build "$root/build-fuzz" --parallel "$(nproc)" --target "${targets[@]/%/_fuzz}"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for target in "${targets[@]}"; do
  mkdir -p "$scratch/$target"
  log="$scratch/$target.log"
  if ! "$root/build-fuzz/fuzz/${target}_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$scratch/$target-" "$scratch/$target" "$root/fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    for artifact in "$scratch/$target"-*; do
      [ -e "$artifact" ] && { echo "input that failed ($artifact):"; od -c "$artifact" | head -n 20; }
    done
    echo "fuzz: $target failed"
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "fuzz: $target ran $runs inputs in $seconds s without a fault"
done
