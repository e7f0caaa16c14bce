#include "Commands.h"

#include "FormDump.h"
#include "FormModel.h"
#include "FormSource.h"

#include <exception>

namespace {

const char *const kUsage =
    "usage: formc compile SOURCE OUTDIR    writes NAME.crd, NAME.crf and NAME.lgc\n"
    "       formc decompile DIR NAME       prints the source of a compiled form\n"
    "       formc dump DIR NAME            prints every item as the program reads it\n";

} // namespace

int RunFormc(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    if (args.size() != 3) {
        err << kUsage;
        return 2;
    }
    try {
        if (args[0] == "compile") {
            WriteFormFiles(ParseFormSource(args[1]), args[2]);
        } else if (args[0] == "decompile") {
            out << FormSourceText(ReadFormModel(args[1], args[2]));
        } else if (args[0] == "dump") {
            DumpForm(args[1], args[2], out);
        } else {
            err << kUsage;
            return 2;
        }
    } catch (const std::exception &error) {
        err << "formc: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
