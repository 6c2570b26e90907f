// A shared library without the entry points of a component library.
extern "C" int vigiloSomethingElse() { return 1; }
