// A shared library with none of a component library's entry points.
extern "C" __attribute__((visibility("default"))) int notAComponent() { return 42; }
