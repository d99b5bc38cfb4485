#pragma once

#include <QDateTime>
#include <QString>

// The plain-text debug log: one "[yyyy-MM-dd HH:mm:ss +0000] message\n"
// entry per call, appended to a file that only ever grows. Each entry opens
// and closes the file, so a deleted log is recreated by the next entry, and
// is written with a single append, so processes sharing the log keep whole
// lines. Only a regular file is written, never through a link, and opening
// never waits. Writing never fails towards the caller: an entry that cannot
// be written is dropped; one cut short (a full disk) is ended with a line
// feed, at once or before the next entry.
class DebugLog {
public:
    static constexpr auto kFileName = "Tarnel_debug.txt";

    // "Tarnel_debug.txt" in the user's desktop folder, or in the home folder
    // when there is no desktop folder.
    static QString defaultLocation();

    explicit DebugLog(QString path = defaultLocation()) : m_path(std::move(path)) {}

    QString path() const { return m_path; }
    void append(const QString &message) const;

    static QString entry(const QDateTime &moment, const QString &message);

private:
    QString m_path;
};
