#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QProcess>
#include <QString>

#include <memory>
#include <string>

// The simulated bureau site of the tests (site/wcrib_site.py) on 127.0.0.1, started on a free
// port for the life of the object; its test-control endpoint presets and reads it back.
class SimulatedSite
{
public:
    explicit SimulatedSite(double idleTimeoutSeconds = 1200);
    ~SimulatedSite();
    SimulatedSite(const SimulatedSite &) = delete;
    SimulatedSite &operator=(const SimulatedSite &) = delete;

    int Port() const { return m_port; }
    // "http://127.0.0.1:PORT" + path.
    std::string Url(const std::string &path) const;

    // The test-control endpoint.
    QJsonDocument Get(const std::string &path);
    QJsonDocument Post(const std::string &path, const QByteArray &json);
    void AddAccount(const std::string &user, const std::string &password,
                    const std::string &agency = "Lee Insurance Agency");
    // A page served at /_test/page/NAME (with "?delay=SECONDS" it answers that much later).
    void SetPage(const std::string &name, const std::string &html);
    // Every application as the site keeps it.
    QJsonDocument Applications() { return Get("/_test/applications"); }

private:
    QByteArray Request(const QByteArray &method, const std::string &path, const QByteArray &body);

    std::unique_ptr<QProcess> m_process;
    int m_port = 0;
};
