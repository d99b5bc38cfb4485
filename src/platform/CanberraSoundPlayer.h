#pragma once

#include "SoundPlayer.h"

struct ca_context;

// Plays sounds through libcanberra as freedesktop sound-theme events:
// "Glass" as "complete" and "Basso" as "dialog-error".
class CanberraSoundPlayer : public SoundPlayer {
public:
    CanberraSoundPlayer() = default;
    ~CanberraSoundPlayer() override;
    CanberraSoundPlayer(const CanberraSoundPlayer &) = delete;
    CanberraSoundPlayer &operator=(const CanberraSoundPlayer &) = delete;

    void play(const QString &name) override;

    // The sound-theme event id for a sound name, or an empty text.
    static QString eventId(const QString &name);

private:
    ca_context *m_context = nullptr;
    bool m_unavailable = false;
};
