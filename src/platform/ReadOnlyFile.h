#pragma once

#include <QString>

// A regular file opened for reading by descriptor: never through a link at
// its name, and without waiting on a pipe or device found there (such a path
// leaves the file closed). Closed with the object.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString &path);
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;
    ~ReadOnlyFile();

    // Whether the path named a regular file that could be opened.
    bool isOpen() const { return m_fd >= 0; }
    // Reads up to `size` bytes at the current place: the count read, 0 at
    // the end of the file, or minus the error number.
    qint64 read(void *buffer, qint64 size);
    // Moves to `offset` from the start, the current place or the end
    // (SEEK_SET, SEEK_CUR, SEEK_END as `whence`): the new place, or minus
    // the error number.
    qint64 seek(qint64 offset, int whence);
    // The file's size now, or minus the error number.
    qint64 size() const;

private:
    int m_fd = -1;
};
