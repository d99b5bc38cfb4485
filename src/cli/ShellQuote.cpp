#include "ShellQuote.h"

namespace {

bool harmless(QChar c) {
    if (c.unicode() >= 128)
        return false;
    return c.isLetterOrNumber() || QStringView(u"-_./:,+@%").contains(c);
}

// Characters a terminal could act on or hide: C0 and C1 controls, DEL, and
// the invisible format characters (bidirectional overrides, U+FEFF).
bool unprintable(char32_t c) {
    if (c < 0x20 || (c >= 0x7f && c < 0xa0))
        return true;
    const auto category = QChar::category(c);
    return category == QChar::Other_Format || category == QChar::Separator_Line ||
           category == QChar::Separator_Paragraph || category == QChar::Other_Surrogate;
}

// $'…' quoting, where every unprintable character is written as an escape.
QString dollarQuoted(const QString &text) {
    QString out = QStringLiteral("$'");
    for (const char32_t c : text.toUcs4()) {
        switch (c) {
        case U'\\':
            out += u"\\\\";
            break;
        case U'\'':
            out += u"\\'";
            break;
        case U'\n':
            out += u"\\n";
            break;
        case U'\t':
            out += u"\\t";
            break;
        case U'\r':
            out += u"\\r";
            break;
        case U'\a':
            out += u"\\a";
            break;
        case U'\x1b':
            out += u"\\E";
            break;
        default:
            if (c < 0x80 && unprintable(c))
                out += u"\\x" + QString::number(quint32(c), 16).rightJustified(2, u'0');
            else if (unprintable(c) && c <= 0xffff)
                out += u"\\u" + QString::number(quint32(c), 16).rightJustified(4, u'0');
            else if (unprintable(c)) // \u reads four digits at most
                out += u"\\U" + QString::number(quint32(c), 16).rightJustified(8, u'0');
            else
                out += QString::fromUcs4(&c, 1);
        }
    }
    return out + u'\'';
}

} // namespace

QString ShellQuote::word(const QString &text) {
    if (!text.isEmpty() && std::all_of(text.cbegin(), text.cend(), harmless))
        return text;
    const QList<uint> characters = text.toUcs4();
    if (std::any_of(characters.cbegin(), characters.cend(),
                    [](uint c) { return unprintable(char32_t(c)); }))
        return dollarQuoted(text);
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

QString ShellQuote::commandLine(const QString &program, const QStringList &arguments) {
    QString line = word(program);
    for (const QString &a : arguments)
        line += u' ' + word(a);
    return line;
}
