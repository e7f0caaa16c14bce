// formview: shows what a form looks like. It loads a form into the program's form viewer,
// optionally fills it from a form data file (NAME=VALUE lines), and writes each page as the
// viewer shows it at 100% (PNG), or prints every page through the viewer's printing (PDF).
//
//     formview png FORMSDIR NAME OUTDIR [DATAFILE]   OUTDIR/NAME-1.png, NAME-2.png, ...
//     formview pdf FORMSDIR NAME OUT.pdf [DATAFILE]
//     formview dialogs FORMSDIR NAME OUTDIR          the Required Fields and Field Information

#include "FormView.h"

#include <QApplication>

#include <iostream>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return RunFormView(args, std::cout, std::cerr);
}
