#pragma once

#include "archive/FileHandle.h"

#include <QString>
#include <memory>

// Opens files for the archive. The real one uses the operating system's files;
// tests install their own to inject failures.
class FileSystem {
public:
    enum class Mode { ReadOnly, ReadWrite, ReadWriteCreate };

    virtual ~FileSystem() = default;
    // nullptr and the reason when the file cannot be opened.
    virtual std::unique_ptr<FileHandle> open(const QString &path, Mode mode, QString *reason) = 0;

    static FileSystem &current();
    // nullptr puts the real file system back. The caller keeps ownership.
    static void install(FileSystem *fileSystem);
};
