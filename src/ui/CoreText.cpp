#include "CoreText.h"

namespace {

// How each preset compares with its source, as the core's detailed label says.
const char *presetHint(ProResPreset preset) {
    switch (preset) {
    case ProResPreset::proRes422Proxy:
        return QT_TRANSLATE_NOOP("CoreText", "smallest (~13% of source)");
    case ProResPreset::proRes422LT:
        return QT_TRANSLATE_NOOP("CoreText", "recommended (~35%)");
    case ProResPreset::proRes422:
        return QT_TRANSLATE_NOOP("CoreText", "balanced (~57%)");
    case ProResPreset::proRes422HQ:
        return QT_TRANSLATE_NOOP("CoreText", "larger than source");
    case ProResPreset::proRes4444:
        return QT_TRANSLATE_NOOP("CoreText", "much larger");
    case ProResPreset::proRes4444XQ:
        return QT_TRANSLATE_NOOP("CoreText", "largest");
    }
    return "";
}

} // namespace

QString CoreText::presetLabel(ProResPreset preset) {
    return ProResPresets::rawValue(preset) + u"  \u2014  " + tr(presetHint(preset));
}
