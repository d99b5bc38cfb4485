#include "TestTools.h"

#include <QFile>
#include <QProcess>

QString TestTools::redlineSim() {
    return qEnvironmentVariable("TARNEL_REDLINE_SIM");
}

bool TestTools::ffmpeg(const QStringList &arguments) {
    QProcess p;
    p.start(QStringLiteral("ffmpeg"),
            QStringList{"-nostdin", "-hide_banner", "-loglevel", "error", "-y"} + arguments);
    return p.waitForFinished(120'000) && p.exitStatus() == QProcess::NormalExit &&
           p.exitCode() == 0;
}

QString TestTools::script(const QString &path, const QByteArray &body) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    f.write("#!/bin/sh\n" + body);
    f.close();
    f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    return path;
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
