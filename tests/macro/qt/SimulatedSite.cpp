#include "SimulatedSite.h"

#include "support/ScratchFolder.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <stdexcept>

SimulatedSite::SimulatedSite(double idleTimeoutSeconds) : m_process(std::make_unique<QProcess>())
{
    const QString script =
        QString::fromStdString(SourceFolder() + "tests/macro/site/wcrib_site.py");
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start(QStringLiteral(VEREDIVO_PYTHON3),
                     {script, QStringLiteral("--port"), QStringLiteral("0"),
                      QStringLiteral("--idle-timeout"), QString::number(idleTimeoutSeconds)});
    if (!m_process->waitForStarted(20000)) {
        throw std::runtime_error("the simulated site did not start");
    }
    QByteArray line;
    while (!line.contains('\n')) {
        if (!m_process->waitForReadyRead(30000)) {
            throw std::runtime_error("the simulated site did not say its port");
        }
        line += m_process->readAllStandardOutput();
    }
    const QList<QByteArray> words = line.trimmed().split(' ');
    if (words.size() != 2 || words[0] != "PORT") {
        throw std::runtime_error("the simulated site said: " + line.toStdString());
    }
    m_port = words[1].toInt();
}

SimulatedSite::~SimulatedSite()
{
    // The site ends when its standard input closes.
    m_process->closeWriteChannel();
    if (!m_process->waitForFinished(5000)) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}

std::string SimulatedSite::Url(const std::string &path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

QByteArray SimulatedSite::Request(const QByteArray &method, const std::string &path,
                                  const QByteArray &body)
{
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(QString::fromStdString(Url(path))));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    QNetworkReply *reply = manager.sendCustomRequest(request, method, body);
    QEventLoop wait;
    QObject::connect(reply, &QNetworkReply::finished, &wait, &QEventLoop::quit);
    QTimer::singleShot(20000, &wait, &QEventLoop::quit);
    wait.exec();
    if (!reply->isFinished() || reply->error() != QNetworkReply::NoError) {
        const std::string error = reply->errorString().toStdString();
        reply->deleteLater();
        throw std::runtime_error("the simulated site refused " + path + ": " + error);
    }
    const QByteArray answer = reply->readAll();
    reply->deleteLater();
    return answer;
}

QJsonDocument SimulatedSite::Get(const std::string &path)
{
    return QJsonDocument::fromJson(Request("GET", path, {}));
}

QJsonDocument SimulatedSite::Post(const std::string &path, const QByteArray &json)
{
    return QJsonDocument::fromJson(Request("POST", path, json));
}

void SimulatedSite::AddAccount(const std::string &user, const std::string &password,
                               const std::string &agency)
{
    QJsonObject account;
    account.insert("user", QString::fromStdString(user));
    account.insert("password", QString::fromStdString(password));
    account.insert("agency", QString::fromStdString(agency));
    account.insert("fein", "04-7654321");
    Post("/_test/accounts", QJsonDocument(QJsonArray {account}).toJson());
}

void SimulatedSite::SetPage(const std::string &name, const std::string &html)
{
    QJsonObject page;
    page.insert("name", QString::fromStdString(name));
    page.insert("html", QString::fromStdString(html));
    Post("/_test/pages", QJsonDocument(page).toJson());
}
