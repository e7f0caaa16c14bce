#include "support/RateCommand.h"

#include "support/Commands.h"
#include "support/ScratchFolder.h"

RateCommandResult RunRateCommand(const std::string &command, const std::string &programFolder,
                                 const std::string &request, const std::string &options)
{
    ScratchFolder folder;
    folder.WriteFile("quote.json", request);
    const TCommandResult run =
        RunCommand(ShellQuoted(command) + " --program-dir " + ShellQuoted(programFolder) + " " +
                   options + " " + ShellQuoted(folder.File("quote.json")) + " 2> " +
                   ShellQuoted(folder.File("err.txt")));
    return RateCommandResult {run.Status, run.Out, folder.ReadFile("err.txt")};
}
