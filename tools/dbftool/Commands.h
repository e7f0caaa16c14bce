#pragma once

// The commands of dbftool; `out` receives what they print (UTF-8).

#include <ostream>
#include <string>
#include <vector>

// Runs the command line (without the program name); returns the exit status. Messages about
// wrong input go to `err`.
int RunDbfTool(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
