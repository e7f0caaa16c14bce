#include "app/WcForm.h"
#include "core/EventLoop.h"
#include "core/Prompter.h"
#include "macro/qt/QtWebEngineSetup.h"
#include "ui/ClassLineDialogs.h"
#include "ui/QtBusyIndicator.h"
#include "ui/QtEventLoop.h"
#include "ui/QtPrompter.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

// A termination signal (the session ending, Ctrl+C) ends the program as "E&xit" does: without
// questions, but with the log written. The handler only wakes the event loop.
int g_signalSocket[2] = {-1, -1};

extern "C" void OnTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_signalSocket[1], &byte, 1);
}

void EndOnTerminationSignals(QApplication &application)
{
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalSocket) != 0) {
        return;
    }
    auto *notifier = new QSocketNotifier(g_signalSocket[0], QSocketNotifier::Read, &application);
    QObject::connect(notifier, &QSocketNotifier::activated, &application, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = read(g_signalSocket[0], &byte, 1);
        QApplication::exit(0);
    });
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
}

} // namespace

int main(int argc, char **argv)
{
    PrepareWebEngine();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("veredivo"));
    QApplication::setApplicationVersion(QStringLiteral(VEREDIVO_VERSION));
    EndOnTerminationSignals(application);

    QtPrompter prompter;
    SetPrompter(&prompter);
    QtBusyIndicator busy;
    SetBusyIndicator(&busy);
    const TScopedClassLineEditor classLineEditor;
    QtEventLoop loop;
    SetEventLoop(&loop);

    int result = 0;
    {
        TWC_MDI window(std::vector<std::string>(argv + 1, argv + argc));
        prompter.SetApplicationTitle(window.ApplicationTitle());
        window.show();
        result = QApplication::exec();
    }
    SetEventLoop(nullptr);
    SetBusyIndicator(nullptr);
    SetPrompter(nullptr);
    return result;
}
