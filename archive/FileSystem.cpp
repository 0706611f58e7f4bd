#include "archive/FileSystem.h"

#include "archive/PosixFile.h"

namespace {

class RealFileSystem final : public FileSystem {
public:
    std::unique_ptr<FileHandle> open(const QString &path, Mode mode, QString *reason) override
    {
        return PosixFile::open(path, mode, reason);
    }
};

FileSystem *installed = nullptr;

} // namespace

FileSystem &FileSystem::current()
{
    static RealFileSystem real;
    return installed ? *installed : real;
}

void FileSystem::install(FileSystem *fileSystem)
{
    installed = fileSystem;
}
