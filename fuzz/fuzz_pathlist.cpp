// The escaped path list of the intake's log line: always one line, and it
// reads back as exactly the paths it was made from.
#include "model/DebugText.h"

#include <QStringList>
#include <cstdlib>

namespace {

// Parses ["a", "b"] back into its texts; aborts on anything malformed.
QStringList parse(const QString &s) {
    QStringList out;
    qsizetype i = 0;
    const auto expect = [&](QChar c) {
        if (i >= s.size() || s[i] != c)
            std::abort();
        ++i;
    };
    expect(u'[');
    if (i < s.size() && s[i] == u']')
        return out;
    for (;;) {
        expect(u'"');
        QString text;
        while (i < s.size() && s[i] != u'"') {
            if (s[i] != u'\\') {
                text += s[i++];
                continue;
            }
            ++i;
            if (i >= s.size())
                std::abort();
            const QChar e = s[i++];
            if (e == u'\\' || e == u'"' || e == u'\'') {
                text += e;
            } else if (e == u't') {
                text += u'\t';
            } else if (e == u'n') {
                text += u'\n';
            } else if (e == u'r') {
                text += u'\r';
            } else if (e == u'0') {
                text += QChar(0);
            } else if (e == u'u') {
                expect(u'{');
                const qsizetype close = s.indexOf(u'}', i);
                bool ok = false;
                const uint code = s.mid(i, close - i).toUInt(&ok, 16);
                if (close < 0 || !ok)
                    std::abort();
                const char32_t c = code;
                text += QString::fromUcs4(&c, 1);
                i = close + 1;
            } else {
                std::abort();
            }
        }
        expect(u'"');
        out << text;
        if (i < s.size() && s[i] == u']')
            return out;
        expect(u',');
        expect(u' ');
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Paths separated by 0xFF, which never occurs in UTF-8.
    QStringList paths;
    for (const QByteArray &part :
         QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size))
             .split('\xff'))
        paths << QString::fromUtf8(part);
    const QString line = DebugText::quotedList(paths);
    for (QChar c : line) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            std::abort(); // must stay on one line
    }
    if (!line.endsWith(u']') || parse(line) != paths)
        std::abort();
    return 0;
}
