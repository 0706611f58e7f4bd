#include "archive/FileHandle.h"

#include <QCoreApplication>

Result<QByteArray> FileHandle::read(qint64 offset, qint64 length)
{
    QByteArray bytes(length, Qt::Uninitialized);
    const Result<qint64> got = readAt(offset, bytes.data(), length);
    if (!got)
        return Failure{got.error()};
    bytes.resize(*got);
    return bytes;
}

Result<void> FileHandle::write(qint64 offset, QByteArrayView bytes)
{
    const Result<qint64> written = writeAt(offset, bytes.data(), bytes.size());
    if (!written)
        return Failure{written.error()};
    if (*written != bytes.size())
        return Failure{QCoreApplication::translate("Archive", "only %1 of %2 bytes were written")
                           .arg(*written)
                           .arg(bytes.size())};
    return {};
}
