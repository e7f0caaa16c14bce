#pragma once

#include <QObject>

#include <string>
#include <vector>

class QUrl;

// Catches the local files the program opens with the desktop while it lives, instead of
// handing them to the desktop.
class DesktopRecorder : public QObject
{
    Q_OBJECT

public:
    DesktopRecorder();
    ~DesktopRecorder() override;

    // The paths, in the order they were opened.
    std::vector<std::string> Opened;

public slots:
    void Open(const QUrl &url);
};
