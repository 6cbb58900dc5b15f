// The baseline of the command-line benchmark: a console program built like
// mirvostan-cli (i686, static, wide entry point) that does nothing.
int wmain() { return 0; }
