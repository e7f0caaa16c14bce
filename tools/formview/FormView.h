#pragma once

#include <ostream>
#include <string>
#include <vector>

// formview png|pdf FORMSDIR NAME OUT [DATAFILE]; returns the exit code.
int RunFormView(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
