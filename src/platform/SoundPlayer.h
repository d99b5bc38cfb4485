#pragma once

#include <QString>

// Plays the desktop's named sounds without waiting for them. "Glass" marks a
// queue that finished cleanly, "Basso" one with a failure; a sound that does
// not exist, or a machine without sound, plays nothing.
class SoundPlayer {
public:
    static constexpr auto kSuccess = "Glass";
    static constexpr auto kFailure = "Basso";

    virtual ~SoundPlayer() = default;
    virtual void play(const QString &name) = 0;

    // The platform's player.
    static SoundPlayer &system();
};
