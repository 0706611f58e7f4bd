#pragma once

#include "app/Outside.h"
#include "archive/FileHandle.h"

#include <QString>
#include <memory>

// Opens files for the archive. The real one uses the operating system's files;
// tests put their own in place to inject failures and power cuts.
class FileSystem {
public:
    enum class Mode { ReadOnly, ReadWrite, ReadWriteCreate };

    virtual ~FileSystem() = default;
    // nullptr and the reason when the file cannot be opened.
    virtual std::unique_ptr<FileHandle> open(const QString &path, Mode mode, QString *reason) = 0;
    // Whether anything at all lies at the path.
    virtual bool exists(const QString &path) = 0;
    virtual IoResult remove(const QString &path) = 0;
    // Gives the file at `from` the name `to` unless something has that name
    // already: value 1 when renamed, 0 when the name is taken.
    virtual IoResult renameNoReplace(const QString &from, const QString &to) = 0;
    // Makes the names in the folder holding `path` durable: a file created or
    // removed survives a power cut only once its folder is synced.
    virtual IoResult syncFolderOf(const QString &path) = 0;

    // Outside<FileSystem>::current(), as the archive's code calls it.
    static FileSystem &current();
};

template <> FileSystem &Outside<FileSystem>::real();
