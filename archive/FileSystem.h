#pragma once

#include "app/Outside.h"
#include "archive/FileHandle.h"

#include <QString>
#include <memory>

// Opens files for the archive. The real one uses the operating system's files;
// tests put their own in place to inject failures and power cuts.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual Result<std::unique_ptr<FileHandle>> open(const QString &path, OpenMode mode) = 0;
    // Whether anything at all lies at the path.
    virtual bool exists(const QString &path) = 0;
    // Empty when `path` is absent or a regular file (through links); else why
    // it cannot hold the archive: a folder, a dangling link, a pipe, a device.
    virtual QString whyNotAFile(const QString &path) = 0;
    virtual Result<void> remove(const QString &path) = 0;
    // Removes the regular file at `path` if it holds no bytes; nothing else.
    virtual Result<void> removeIfEmpty(const QString &path) = 0;
    // Gives the file at `from` the name `to` unless something has that name
    // already: true when renamed, false when the name is taken.
    virtual Result<bool> renameNoReplace(const QString &from, const QString &to) = 0;
    // Makes the names in the folder holding `path` durable: a file created or
    // removed survives a power cut only once its folder is synced.
    virtual Result<void> syncFolderOf(const QString &path) = 0;
    // Creates the folder and every missing folder above it.
    virtual Result<void> makeFolder(const QString &path) = 0;
    // Whether this user may create files in the folder.
    virtual bool isWritableFolder(const QString &path) = 0;

    // Outside<FileSystem>::current(), as the archive's code calls it.
    static FileSystem &current();
};

template <> FileSystem &Outside<FileSystem>::real();
