#pragma once

#include "platform/SoundPlayer.h"

#include <QStringList>

// Remembers which sounds were asked for instead of playing them.
class RecordingSoundPlayer : public SoundPlayer {
public:
    void play(const QString &name) override { played << name; }
    QStringList played;
};
