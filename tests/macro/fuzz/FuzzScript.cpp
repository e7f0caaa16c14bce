// Fuzz target: a script file read (includes expanded), written back, read again; the second
// writing must equal the first.

#include "support/FuzzFiles.h"

#include "core/EventLoop.h"
#include "macro/Macro.h"

#include <fstream>
#include <iterator>

namespace {

std::string ReadAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string folder = FuzzFolder();
    WriteFuzzFile(folder + "s.xml", data, size);
    TimerEventLoop loop;
    TMacro first(loop);
    first.ScriptFolder = folder;
    if (!first.LoadCommands("s.xml", true)) {
        return 0;
    }
    first.SaveCommands(folder + "first.xml");
    TMacro second(loop);
    second.ScriptFolder = folder;
    if (!second.LoadCommands("first.xml", false)) {
        __builtin_trap();
    }
    second.SaveCommands(folder + "second.xml");
    if (ReadAll(folder + "first.xml") != ReadAll(folder + "second.xml")) {
        __builtin_trap();
    }
    for (const auto &command : second.Commands()) {
        (void)command->Description();
        (void)command->DetailValue();
    }
    return 0;
}
