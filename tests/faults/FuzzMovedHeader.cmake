# Run with cmake -P: declares a fuzz target whose header is not in the tree, which must be an error.
include(${PROJECT_SOURCE_DIR}/fuzz/FuzzReady.cmake)
tessaly_fuzz_require(moved REQUIRES src/support/Moved.h)
message(STATUS "the fuzz target with a missing header was accepted")
