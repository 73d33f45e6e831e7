// A library for the module tests.
extern "C" int ProbeAnswer() { return 42; }
extern "C" int ProbeTwice(int v) { return 2 * v; }
