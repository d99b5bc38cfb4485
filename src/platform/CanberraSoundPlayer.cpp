#include "CanberraSoundPlayer.h"

#include <canberra.h>

SoundPlayer &SoundPlayer::system() {
    static CanberraSoundPlayer player;
    return player;
}

CanberraSoundPlayer::~CanberraSoundPlayer() {
    if (m_context)
        ca_context_destroy(m_context);
}

QString CanberraSoundPlayer::eventId(const QString &name) {
    if (name == QLatin1String(kSuccess))
        return QStringLiteral("complete");
    if (name == QLatin1String(kFailure))
        return QStringLiteral("dialog-error");
    return {};
}

void CanberraSoundPlayer::play(const QString &name) {
    const QString id = eventId(name);
    if (id.isEmpty() || m_unavailable)
        return;
    if (!m_context && ca_context_create(&m_context) != CA_SUCCESS) {
        m_context = nullptr;
        m_unavailable = true; // no sound system: stay silent from now on
        return;
    }
    // Asynchronous: ca_context_play returns once the sound is queued.
    ca_context_play(m_context, 0, CA_PROP_EVENT_ID, id.toUtf8().constData(),
                    CA_PROP_EVENT_DESCRIPTION, "Tarnel queue finished", nullptr);
}
