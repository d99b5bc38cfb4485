#pragma once

#include <QDateTime>
#include <QString>

// Dates in the user's medium date style, in the user's locale, calendar and
// time zone, without the time ("Dec 5, 2026" in U.S. English).
class MediumDateFormatter {
public:
    static QString format(const QDateTime &moment);
};
