#pragma once

#include <QString>
#include <QtGlobal>

// Byte counts as people read file sizes: decimal units (1 KB = 1000 bytes),
// no decimals for bytes and KB, one for MB, two for GB and above, trailing
// zeros dropped: "Zero KB", "1 byte", "999 bytes", "1 KB", "5.4 GB", "15 GB".
class ByteCountFormatter {
public:
    static QString fileSize(qint64 bytes);
};
