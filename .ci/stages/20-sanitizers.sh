# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer
# (any report fails the test that raised it). Sourced by .ci/run.
cmake --workflow --preset asan
