# The driver fuzz harness: a clang build, then one minute of fuzzing from the
# kept corpus (new inputs go to a scratch folder, not into the tree). A crash,
# a sanitizer report or a broken invariant fails the stage and leaves the
# input as build/fuzz/crash-*. Sourced by .ci/run.
install_packages clang libclang-rt-14-dev
cmake --preset fuzz
cmake --build --preset fuzz
fuzz_scratch="$(mktemp -d)"
(cd build/fuzz && bin/driver_fuzz -max_total_time=60 -timeout=10 -print_final_stats=1 \
  "$fuzz_scratch" ../../fuzz/corpus)
rm -rf "$fuzz_scratch"
