#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// A text for the user that the core builds: an English pattern, marked for
// translation where it is written (QT_TRANSLATE_NOOP("UserText", …), or
// QT_TRANSLATE_N_NOOP with a count), and the values that fill it. The debug
// log and tarnel-cli's JSON take english(); the window and tarnel-cli's lines
// for people take shown(), the pattern in the user's language.
//
// %n is the count (a translation picks its plural form by it), %1 … %9 the
// values in order, each filled in once: a value that holds "%1" stays as it
// is. A list of names, when given, is the last value: its first few names,
// then " and N more".
class UserText {
    Q_DECLARE_TR_FUNCTIONS(UserText)

public:
    // How many names a text lists before it counts the rest.
    static constexpr qsizetype kShownNames = 5;
    // ["a", "b"] (each name quoted as the log quotes it) or a, b.
    enum class List { quoted, plain };

    UserText() = default;
    explicit UserText(const char *pattern, QStringList values = {}, int count = -1)
        : m_pattern(pattern), m_values(std::move(values)), m_count(count) {}
    // Shows `pattern` (same values) instead of the English one: the platform's
    // words for a text the log keeps as written.
    UserText &shownAs(const char *pattern) {
        m_shownPattern = pattern;
        return *this;
    }
    // Adds the list of names as the last value.
    UserText &listing(QStringList names, List style = List::quoted);

    // The text in English, listing up to `names` names.
    QString english(qsizetype names = kShownNames) const;
    // The text in the user's language.
    QString shown() const;

    friend bool operator==(const UserText &a, const UserText &b);

private:
    QString filled(const QString &pattern, bool translated, qsizetype names) const;

    const char *m_pattern = "";
    const char *m_shownPattern = nullptr;
    QStringList m_values;
    int m_count = -1;
    bool m_listed = false;
    QStringList m_names;
    List m_style = List::quoted;
};
