#include "support/Commands.h"

#include <array>
#include <cstdio>
#include <sstream>
#include <sys/wait.h>

TCommandResult RunCommand(const std::string &command)
{
    TCommandResult result;
    FILE *pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    std::array<char, 4096> buffer {};
    size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        result.Out.append(buffer.data(), got);
    }
    const int status = ::pclose(pipe);
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string ShellQuoted(const std::string &text)
{
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string PdfText(const std::string &path)
{
    const TCommandResult result = RunCommand("pdftotext -layout " + ShellQuoted(path) + " -");
    return result.Status == 0 ? result.Out : std::string();
}

std::string PdfInfo(const std::string &path)
{
    const TCommandResult result = RunCommand("pdfinfo " + ShellQuoted(path));
    return result.Status == 0 ? result.Out : std::string();
}

std::vector<std::string> OutputLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}
