// One PNG that shows every picture and texture map of a data tree at a glance.
#pragma once

#include <string>

namespace mkdata {

// Reads the pictures of the tree at datadir and writes the sheet to out. False with a message naming the
// file on failure.
bool writecontactsheet(const std::string &datadir, const std::string &out, std::string &error);

} // namespace mkdata
