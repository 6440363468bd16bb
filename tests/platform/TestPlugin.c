/* A loadable library with a single export, used by the loader tests. */
int tessaly_test_answer(void) { return 42; }
int tessaly_test_other(void) { return 7; }
