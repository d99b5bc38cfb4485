#pragma once

#include "model/ProResPreset.h"

#include <QCoreApplication>
#include <QString>

// Core values the window names in the user's language.
class CoreText {
    Q_DECLARE_TR_FUNCTIONS(CoreText)

public:
    // "ProRes 422 LT  —  recommended (~35%)"
    static QString presetLabel(ProResPreset preset);
};
