#include "ShellQuote.h"

namespace {

bool harmless(QChar c) {
    if (c.unicode() >= 128)
        return false;
    return c.isLetterOrNumber() || QStringView(u"-_./:,+@%").contains(c);
}

} // namespace

QString ShellQuote::word(const QString &text) {
    if (!text.isEmpty() && std::all_of(text.cbegin(), text.cend(), harmless))
        return text;
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
