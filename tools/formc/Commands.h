#pragma once

#include <ostream>
#include <string>
#include <vector>

// formc compile SOURCE OUTDIR | decompile DIR NAME | dump DIR NAME. Returns the exit code.
int RunFormc(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
