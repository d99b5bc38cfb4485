#pragma once

#include <QString>
#include <QStringList>

// One-line debug forms of texts: the form used for paths and error payloads
// in the debug log, so that every entry stays on one line and shows every
// character that was really there.
class DebugText {
public:
    // The text in double quotes; backslash, double quote and apostrophe get a
    // backslash, tab/line feed/carriage return/NUL read \t \n \r \0, any
    // other unprintable character reads \u{hex}.
    static QString quoted(const QString &text);
    // The text as it is, but with tab/line feed/carriage return/NUL written
    // \t \n \r \0 and any other unprintable character \u{hex}: a name in a
    // log entry or on a terminal stays on its line and cannot send control
    // sequences.
    static QString printable(const QString &text);
    // ["a", "b"]: each entry quoted, separated by a comma and a space.
    static QString quotedList(const QStringList &texts);
};
