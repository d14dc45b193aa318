// The show names its files as on its home system (".\gfx\maps\ROCK.jpg"). This is the one place where
// such a name becomes a path of this machine.
#pragma once

#include <cstdio>
#include <string>

// Backslashes become slashes, a leading ".\" is dropped, and a component that is not found exactly is
// looked up in its directory without regard to letter case. Returns the translated name even when no
// file exists, so that the caller's own error names it.
std::string translatepath(const char *name);
// The same for a name under the folder base rather than the current one; the result is relative to base.
std::string translatepathin(const std::string &base, const char *name);
// Whether a regular file of that name (letter case aside) is under base.
bool showfileexists(const std::string &base, const char *name);

// Opens a file named as the show names it; the same modes as fopen.
std::FILE *openshowfile(const char *name, const char *mode);
