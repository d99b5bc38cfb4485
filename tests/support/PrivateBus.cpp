#include "PrivateBus.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <sys/prctl.h>

PrivateBus::PrivateBus() {
    // Anyone may own names and talk to anyone: the test's own process and
    // the programs it starts are the only clients.
    const QString config = QDir::tempPath() + QStringLiteral("/bus.conf");
    QFile f(config);
    if (!f.open(QIODevice::WriteOnly) ||
        f.write("<busconfig><listen>unix:tmpdir=" + QFile::encodeName(QDir::tempPath()) +
                "</listen><auth>EXTERNAL</auth><policy context='default'><allow send_destination="
                "'*'/><allow receive_sender='*'/><allow own='*'/></policy></busconfig>") < 0 ||
        !f.flush())
        return;
    f.close();
    m_daemon.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {u"--config-file=" + config, QStringLiteral("--nofork"),
                    QStringLiteral("--print-address")});
    if (m_daemon.waitForReadyRead(10'000))
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
}

PrivateBus::~PrivateBus() {
    m_daemon.terminate();
    m_daemon.waitForFinished();
}
