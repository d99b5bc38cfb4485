#pragma once

#include "model/ProResPreset.h"

#include <QCoreApplication>
#include <QString>

// The core writes its texts in English, for the debug log and for
// tarnel-cli's JSON alike. The window shows the fixed ones among them in the
// user's language and the platform's words; texts with details in them (a
// path, REDline's own words) are shown as the core wrote them.
class CoreText {
    Q_DECLARE_TR_FUNCTIONS(CoreText)

public:
    // "ProRes 422 LT  —  recommended (~35%)"
    static QString presetLabel(ProResPreset preset);
    // A job's message or another core text, translated when it is a fixed one.
    static QString message(const QString &text);
};
