#include "UserText.h"

#include "DebugText.h"

#include <cstring>

UserText &UserText::listing(QStringList names, List style) {
    m_listed = true;
    m_names = std::move(names);
    m_style = style;
    return *this;
}

QString UserText::english(qsizetype names) const {
    QString pattern = QString::fromUtf8(m_pattern);
    if (m_count >= 0)
        pattern.replace(QStringLiteral("%n"), QString::number(m_count));
    return filled(pattern, false, names);
}

QString UserText::shown() const {
    return filled(tr(m_shownPattern ? m_shownPattern : m_pattern, nullptr, m_count), true,
                  kShownNames);
}

QString UserText::filled(const QString &pattern, bool translated, qsizetype names) const {
    QStringList values = m_values;
    if (m_listed) {
        const QStringList listed = m_names.mid(0, names);
        QString list = m_style == List::quoted ? DebugText::quotedList(listed) : listed.join(u", ");
        if (const int more = int(m_names.size() - listed.size()); more > 0)
            list += translated ? tr(" and %n more", nullptr, more)
                               : u" and " + QString::number(more) + u" more";
        values << list;
    }
    // One pass over the pattern, so that no value is read as a placeholder.
    QString text;
    text.reserve(pattern.size());
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const int digit = i + 1 < pattern.size() ? pattern.at(i + 1).digitValue() : -1;
        if (pattern.at(i) == u'%' && digit >= 1 && digit <= values.size()) {
            text += values.at(digit - 1);
            ++i;
        } else {
            text += pattern.at(i);
        }
    }
    return text;
}

bool operator==(const UserText &a, const UserText &b) {
    const auto same = [](const char *x, const char *y) {
        return x == y || (x && y && std::strcmp(x, y) == 0);
    };
    return same(a.m_pattern, b.m_pattern) && same(a.m_shownPattern, b.m_shownPattern) &&
           a.m_values == b.m_values && a.m_count == b.m_count && a.m_listed == b.m_listed &&
           a.m_names == b.m_names && a.m_style == b.m_style;
}
