#include "StaleLock.h"

#include <QFile>
#include <QLockFile>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

bool StaleLock::clear(const QString &lock) {
    const QByteArray path = QFile::encodeName(lock);
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return errno == ENOENT;
    if (S_ISREG(st.st_mode)) {
        QLockFile(lock).removeStaleLockFile();
        return true;
    }
    if (S_ISDIR(st.st_mode) ? ::rmdir(path.constData()) == 0 : ::unlink(path.constData()) == 0)
        return true;
    const QByteArray aside = path + ".in-the-way." + QByteArray::number(::getpid());
    return std::rename(path.constData(), aside.constData()) == 0;
}
