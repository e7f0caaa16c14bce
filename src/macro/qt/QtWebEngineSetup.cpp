#include "macro/qt/QtWebEngineSetup.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstdlib>
#include <unistd.h>

// The browser engine is a library built without the sanitizers: in a build with them, its own
// mismatched deletes and the allocations it keeps until exit are not the program's faults.
extern "C" const char *__asan_default_options()
{
    return "new_delete_type_mismatch=0";
}

extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libQt6WebEngineCore.so\nleak:libfontconfig.so\nleak:libQt6Gui.so\n";
}

void PrepareWebEngine()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (geteuid() == 0 && std::getenv("QTWEBENGINE_DISABLE_SANDBOX") == nullptr) {
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    }
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
}
