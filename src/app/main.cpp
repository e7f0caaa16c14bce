#include "app/WcForm.h"
#include "core/Prompter.h"
#include "ui/QtBusyIndicator.h"
#include "ui/QtPrompter.h"

#include <QApplication>

#include <string>
#include <vector>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("veredivo"));
    QApplication::setApplicationVersion(QStringLiteral(VEREDIVO_VERSION));

    QtPrompter prompter;
    SetPrompter(&prompter);
    QtBusyIndicator busy;
    SetBusyIndicator(&busy);

    int result = 0;
    {
        TWC_MDI window(std::vector<std::string>(argv + 1, argv + argc));
        prompter.SetApplicationTitle(window.ApplicationTitle());
        window.show();
        result = QApplication::exec();
    }
    SetBusyIndicator(nullptr);
    SetPrompter(nullptr);
    return result;
}
