#include "ui/DesktopOpen.h"

#include "core/Paths.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "ui/QtText.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

namespace {

constexpr int kStartTimeoutMs = 3000;

void Tell(const std::string &failure, const std::string &cause)
{
    ShowInformation(failure + "\r\r" + cause);
}

void RunOpener(const std::string &target, const std::string &failure)
{
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        Tell(failure,
             "The desktop's opener xdg-open is not installed (Debian package "
             "xdg-utils).");
        return;
    }
    // The opener may wait for the program it starts: it runs on its own, and a failure it
    // reports is told when it ends.
    auto *process = new QProcess(QCoreApplication::instance());
    process->setProcessChannelMode(QProcess::SeparateChannels);
    process->setStandardOutputFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process,
                     [process, failure](int exitCode, QProcess::ExitStatus status) {
                         const std::string errors = Trim(
                             FromQString(QString::fromLocal8Bit(process->readAllStandardError())));
                         process->deleteLater();
                         if (status != QProcess::NormalExit) {
                             Tell(failure, "The desktop's opener xdg-open stopped unexpectedly.");
                         } else if (exitCode != 0) {
                             Tell(failure, DesktopOpenerFailure(exitCode, errors));
                         }
                     });
    process->start(opener, {ToQString(target)});
    if (!process->waitForStarted(kStartTimeoutMs)) {
        const std::string error = FromQString(process->errorString());
        process->disconnect();
        process->deleteLater();
        Tell(failure, "The desktop's opener xdg-open could not be started: " + error);
    }
}

} // namespace

std::string DesktopOpenerFailure(int exitCode, const std::string &errorOutput)
{
    std::string cause;
    switch (exitCode) {
    case 1:
        cause = "The desktop's opener xdg-open did not understand the request.";
        break;
    case 2:
        cause = "The desktop's opener xdg-open did not find the file.";
        break;
    case 3:
        cause = "No program to open it is set up on this desktop (xdg-open found none).";
        break;
    case 4:
        cause = "The program the desktop chose to open it failed.";
        break;
    default:
        cause = "The desktop's opener xdg-open ended with status " + IntText(exitCode) + ".";
        break;
    }
    if (!errorOutput.empty()) {
        cause += "\r" + errorOutput;
    }
    return cause;
}

void OpenDocumentWithDesktop(const std::string &path, const std::string &failure)
{
    const std::string file = ResolveFileName(path);
    if (!FileExists(file)) {
        Tell(failure, "The file does not exist.");
        return;
    }
    RunOpener(file, failure);
}

void OpenAddressWithDesktop(const std::string &address, const std::string &failure)
{
    if (Trim(address).empty()) {
        Tell(failure, "The plan names no web address.");
        return;
    }
    RunOpener(Trim(address), failure);
}
