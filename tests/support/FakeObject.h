#pragma once

#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QList>
#include <functional>

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
