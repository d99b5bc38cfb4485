#include "TestTools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

QString TestTools::redlineSim() {
    return qEnvironmentVariable("TARNEL_REDLINE_SIM");
}

QString TestTools::gatedRedline(const QString &dir) {
    const QByteArray d = QFile::encodeName(dir);
    return redlineWithHelper(dir + QStringLiteral("/redline"), dir + QStringLiteral("/started"),
                             "i=0; until [ -e '" + d + "/go' ]; do\n" +
                                 giveUpAfter(2400, "the test never let REDline go") +
                                 "  sleep 0.05\ndone\n[ -e '" + d + "/fail' ] && exit 1\nexec '" +
                                 QFile::encodeName(redlineSim()) + "' \"$@\"\n");
}

QString TestTools::pairedRedline(const QString &path) {
    return script(
        path, "touch \"$0.$$\"; i=0\nwhile [ $(ls \"$0\".* | wc -l) -lt 2 ]; do\n" +
                  giveUpAfter(600, "the other REDline never started") +
                  "  sleep 0.1\ndone\nREDLINE_SIM_PIECES=6 REDLINE_SIM_PIECE_DELAY_MS=30 exec '" +
                  QFile::encodeName(redlineSim()) + "' \"$@\"\n");
}

QByteArray TestTools::giveUpAfter(int rounds, const QByteArray &why) {
    return "  i=$((i+1)); [ $i -gt " + QByteArray::number(rounds) + " ] && { echo '" + why +
           "' >&2; exit 9; }\n";
}

bool TestTools::ffmpeg(const QStringList &arguments) {
    QProcess p;
    p.start(QStringLiteral("ffmpeg"),
            QStringList{"-nostdin", "-hide_banner", "-loglevel", "error", "-y"} + arguments);
    return p.waitForFinished(120'000) && p.exitStatus() == QProcess::NormalExit &&
           p.exitCode() == 0;
}

QJsonObject TestTools::ffprobe(const QString &path) {
    QProcess p;
    p.start(QStringLiteral("ffprobe"),
            {"-v", "quiet", "-show_streams", "-show_format", "-of", "json", path});
    if (!p.waitForFinished(60'000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

QString TestTools::movieSource(const QString &path) {
    return ffprobe(path)[u"format"_qs][u"tags"_qs][u"comment"_qs].toString();
}

QString TestTools::fcpxmlProblems(const QString &document) {
    const QString dtd = qEnvironmentVariable("TARNEL_FCPXML_DTD");
    if (!QFileInfo::exists(dtd)) {
        static bool said = false;
        if (!std::exchange(said, true))
            qWarning("FCPXML DTD not found at \"%s\": documents are not validated",
                     qPrintable(dtd));
        return {};
    }
    QProcess p;
    p.start(QStringLiteral("xmllint"), {"--noout", "--dtdvalid", dtd, "-"});
    p.write(document.toUtf8());
    p.closeWriteChannel();
    if (!p.waitForFinished(60'000) || p.exitStatus() != QProcess::NormalExit)
        return QStringLiteral("xmllint did not finish");
    if (p.exitCode() == 0)
        return {};
    return QString::fromUtf8(p.readAllStandardError()) + u"exit status " +
           QString::number(p.exitCode());
}

QString TestTools::script(const QString &path, const QByteArray &body) {
    // Written beside and renamed over the old one: a script that an earlier
    // test still runs cannot be opened for writing ("text file busy").
    QFile f(path + QStringLiteral(".part"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    f.write("#!/bin/sh\n" + body);
    f.close();
    f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    return std::rename(QFile::encodeName(f.fileName()), QFile::encodeName(path)) == 0 ? path
                                                                                      : QString();
}

QByteArray TestTools::touchRaw(const QString &folder, const QByteArray &name) {
    QDir().mkpath(folder);
    const QByteArray path = QFile::encodeName(folder) + '/' + name;
    ::close(::open(path.constData(), O_CREAT | O_WRONLY, 0644));
    return path;
}

QString TestTools::readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QStringList TestTools::recordedArguments(const QString &file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QByteArray all = f.readAll();
    if (all.endsWith('\0'))
        all.chop(1);
    QStringList out;
    for (const QByteArray &a : all.split('\0'))
        out << QFile::decodeName(a);
    return out;
}

void TestTools::touch(const QString &path, qint64 size) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.resize(size);
}

QStringList TestTools::logLines(const QString &path) {
    static const QRegularExpression stamp(
        QStringLiteral("^\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \\+0000\\] "));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList out;
    for (const QString &line : QString::fromUtf8(f.readAll()).split(u'\n')) {
        const auto m = stamp.match(line);
        out << (m.hasMatch() ? line.mid(m.capturedLength()) : line);
    }
    if (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

void TestTools::installFinalCut(const QString &dataDir, const QString &record) {
    QDir().mkpath(dataDir + QStringLiteral("/applications"));
    const QString exec = script(dataDir + QStringLiteral("/fcp.sh"),
                                "printf '%s\\n' \"$@\" >> '" + record.toUtf8() + "'\n");
    QFile f(dataDir + QStringLiteral("/applications/com.apple.FinalCut.desktop"));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write("[Desktop Entry]\nType=Application\nName=Final Cut Pro\nExec=" + exec.toUtf8() +
                " %f\n");
}

void TestTools::removeFinalCut(const QString &dataDir) {
    QFile::remove(dataDir + QStringLiteral("/applications/com.apple.FinalCut.desktop"));
}

QList<qint64> TestTools::runningInGroup(qint64 groupId) {
    QList<qint64> found;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isProcess = false;
        const qint64 pid = entry.toLongLong(&isProcess);
        QFile stat(QStringLiteral("/proc/") + entry + QStringLiteral("/stat"));
        if (!isProcess || !stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid pgrp ...": the name may hold anything but
        // the last ")".
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields[0] != "Z" && fields[2].toLongLong() == groupId)
            found << pid;
    }
    return found;
}

QString TestTools::redlineWithHelper(const QString &path, const QString &record,
                                     const QByteArray &ending) {
    const QByteArray r = record.toUtf8();
    return script(path, "(trap '' TERM; exec sleep 60) >/dev/null 2>&1 &\n"
                        "cut -d' ' -f5 /proc/$$/stat > '" +
                            r + ".part'\nmv '" + r + ".part' '" + r + "'\n" + ending);
}

qint64 TestTools::recordedGroup(const QString &record) {
    QFile f(record);
    return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toLongLong() : 0;
}

qint64 TestTools::endedProcessId() {
    QProcess p;
    p.start(QStringLiteral("true"), {});
    const qint64 pid = p.processId();
    p.waitForFinished();
    return pid;
}
