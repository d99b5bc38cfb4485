#pragma once

#include <QCoreApplication>
#include <QLocale>
#include <QString>
#include <QtGlobal>

// Byte counts as people read file sizes: decimal units (1 KB = 1000 bytes),
// no decimals for bytes and KB, one for MB, two for GB and above, trailing
// zeros dropped: "Zero KB", "1 byte", "999 bytes", "1 KB", "5.4 GB", "15 GB".
class ByteCountFormatter {
    Q_DECLARE_TR_FUNCTIONS(ByteCountFormatter)

public:
    // For people: in the user's language, with the locale's decimal point
    // ("Null KB", "358,4 MB" in German).
    static QString fileSize(qint64 bytes, const QLocale &locale = QLocale());
    // For the debug log: always English, always a decimal dot.
    static QString logText(qint64 bytes);

private:
    static QString format(qint64 bytes, const QLocale &locale, bool translated);
};
