#include "support/DesktopRecorder.h"

#include <QDesktopServices>
#include <QUrl>

DesktopRecorder::DesktopRecorder()
{
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open");
}

DesktopRecorder::~DesktopRecorder()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

void DesktopRecorder::Open(const QUrl &url)
{
    Opened.push_back(url.toLocalFile().toStdString());
}
