#pragma once

#include <QProcess>
#include <QString>

// A D-Bus daemon of the test's own: only what the test registers lives on
// it, nothing is started on demand. It ends with the test, also when the
// test crashes.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();

    // Empty when the daemon did not start.
    QString address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};
