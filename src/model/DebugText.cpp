#include "DebugText.h"

#include <algorithm>

namespace {

bool isUnprintable(char32_t ucs4) {
    switch (QChar::category(ucs4)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

} // namespace

namespace {

// Appends the text to `out` with the unprintable characters escaped, and
// with backslash and the quotes escaped too when `quoting`.
void appendEscaped(QString &out, const QString &text, bool quoting) {
    for (const char32_t c : text.toUcs4()) {
        switch (c) {
        case U'\\':
        case U'"':
        case U'\'':
            if (quoting)
                out += u'\\';
            out += QChar(c);
            break;
        case U'\t':
            out += u"\\t";
            break;
        case U'\n':
            out += u"\\n";
            break;
        case U'\r':
            out += u"\\r";
            break;
        case U'\0':
            out += u"\\0";
            break;
        default:
            if (isUnprintable(c))
                out += u"\\u{" + QString::number(quint32(c), 16) + u'}';
            else
                out += QString::fromUcs4(&c, 1);
        }
    }
}

} // namespace

QString DebugText::quoted(const QString &text) {
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    appendEscaped(out, text, true);
    out += u'"';
    return out;
}

QString DebugText::printable(const QString &text) {
    // Most texts (every log line passes here) are printable ASCII: nothing
    // to escape, nothing to copy.
    if (std::all_of(text.cbegin(), text.cend(),
                    [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7f; }))
        return text;
    QString out;
    out.reserve(text.size());
    appendEscaped(out, text, false);
    return out;
}

QString DebugText::quotedList(const QStringList &texts) {
    QStringList parts;
    parts.reserve(texts.size());
    for (const QString &t : texts)
        parts.append(quoted(t));
    return u'[' + parts.join(u", ") + u']';
}
