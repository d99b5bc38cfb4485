#pragma once

#include <QLocale>

// The user's language for the visible texts: Tarnel's own translation (built
// into the program) and Qt's (the buttons and labels of its dialogs), chosen
// from the locale. English texts are the source and need neither; the debug
// log and tarnel-cli's JSON are never translated.
class Translations {
public:
    // Installs the translations for `locale` into the application, replacing
    // any installed before. Returns whether Tarnel has a translation for it.
    static bool install(const QLocale &locale = QLocale());
    // Back to the English source texts.
    static void remove();
};
