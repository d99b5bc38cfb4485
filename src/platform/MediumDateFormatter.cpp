#include "MediumDateFormatter.h"

#include <memory>
#include <unicode/datefmt.h>
#include <unicode/unistr.h>

QString MediumDateFormatter::format(const QDateTime &moment) {
    // ICU's default locale and time zone follow the user's environment.
    const std::unique_ptr<icu::DateFormat> formatter(
        icu::DateFormat::createDateInstance(icu::DateFormat::kMedium));
    if (!formatter)
        return moment.date().toString(Qt::ISODate);
    icu::UnicodeString text;
    formatter->format(static_cast<UDate>(moment.toMSecsSinceEpoch()), text);
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}
