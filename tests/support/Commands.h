#pragma once

#include <string>
#include <vector>

// What a command run through the shell gave back.
struct TCommandResult
{
    int Status = -1; // the exit code; -1 when it did not exit normally
    std::string Out; // standard output (with standard error when asked for)
};

// Runs `command` with /bin/sh and collects its standard output.
TCommandResult RunCommand(const std::string &command);

// The lines of a command's output, without their line ends.
std::vector<std::string> OutputLines(const std::string &text);

// A path quoted for the shell.
std::string ShellQuoted(const std::string &text);

// Poppler's reading of a PDF: its text laid out as on the page (pages end with a form feed),
// and its document information ("Pages:", "Title:", "Author:", "Page size:"). Empty text when
// the tool fails.
std::string PdfText(const std::string &path);
std::string PdfInfo(const std::string &path);
