#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QList>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <unistd.h>

// A service object on a test's bus that records the calls it gets and
// answers through a handler.
struct FakeObject : QDBusVirtualObject {
    QList<QDBusMessage> calls;
    std::function<void(const QDBusMessage &)> answer;
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &m, const QDBusConnection &) override {
        calls << m;
        if (answer)
            answer(m);
        return true;
    }
};

// Answers logind's Inhibit call as logind does, with the write end of a fresh
// pipe as the lock. Returns the read end (-1 when no pipe could be made),
// which reports a hang-up once every copy of the lock is closed.
inline int answerInhibit(const QDBusConnection &bus, const QDBusMessage &call) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    bus.send(call.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(fds[1]))));
    ::close(fds[1]); // the receiver's copy is now the only write end
    return fds[0];
}

inline bool lockClosed(int readEnd) {
    pollfd p{readEnd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & POLLHUP);
}
