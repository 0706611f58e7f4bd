#include "archive/InstalledFolder.h"

#include "archive/Archive.h"

#include <QDir>
#include <QStringList>

namespace {

QString cleaned(const QString &folder)
{
    return folder.isEmpty() ? QString() : QDir::cleanPath(QDir::fromNativeSeparators(folder));
}

} // namespace

bool isInstalledFolder(const QString &folder, const QString &configuredBinFolder,
                       const std::function<bool(const QString &)> &isFile)
{
    const QString path = cleaned(folder);
    if (path.isEmpty())
        return false;
    static const QStringList systemFolders{QStringLiteral("/usr/bin"), QStringLiteral("/usr/games"),
                                           QStringLiteral("/usr/local/bin"),
                                           QStringLiteral("/usr/local/games")};
    if (path == cleaned(configuredBinFolder) || systemFolders.contains(path))
        return true;
    // Any other prefix counts only with the help file where an installation
    // puts it, so a build tree or an unpacked copy named bin keeps its folder.
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString name = path.mid(slash + 1);
    if (slash < 0 || (name != u"bin" && name != u"games"))
        return false;
    return isFile(QDir::cleanPath(path.left(slash) + QStringLiteral("/share/varko/VARKOHELP.HLP")));
}

bool isInstalledFolder(const QString &folder)
{
    return isInstalledFolder(folder, QStringLiteral(VARKO_INSTALL_BINDIR), bFileEsiste);
}
