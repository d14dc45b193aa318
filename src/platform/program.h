// The name of the program that runs: the first word of every message it writes ("showcase-fs: ...").
#pragma once

const char *programname();
// Takes the last component of argv[0]; the tools and tests that link the engine set their own.
void setprogramname(const char *argv0);
