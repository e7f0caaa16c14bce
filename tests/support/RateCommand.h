#pragma once

#include <string>

struct RateCommandResult
{
    int status = -1;
    std::string out; // standard output
    std::string err; // standard error
};

// Runs the rating command (its executable path given) on a request text against a program
// folder, with further options such as "--json".
RateCommandResult RunRateCommand(const std::string &command, const std::string &programFolder,
                                 const std::string &request, const std::string &options = "");
