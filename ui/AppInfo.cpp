#include "ui/AppInfo.h"

#include "Version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

// Off unless asked for (QT_LOGGING_RULES="varko.help.info=true").
Q_LOGGING_CATEGORY(lcHelp, "varko.help", QtWarningMsg)

namespace App {
namespace {
QString &overriddenPath()
{
    static QString p;
    return p;
}
QString &helpFile()
{
    static QString h;
    return h;
}
} // namespace

QString Path()
{
    QString p = overriddenPath().isEmpty() ? QCoreApplication::applicationDirPath() : overriddenPath();
    while (p.size() > 1 && (p.endsWith(u'/') || p.endsWith(u'\\')))
        p.chop(1);
    return QDir::toNativeSeparators(p);
}

QString join(const QString &folder, const QString &backslashName)
{
    QString name = backslashName;
    while (name.startsWith(u'\\') || name.startsWith(u'/'))
        name.remove(0, 1);
    return QDir::toNativeSeparators(folder + u'/' + name);
}

QString Title()
{
    return QStringLiteral("Varko");
}
int Major()
{
    return VarkoVersion::Major;
}
int Minor()
{
    return VarkoVersion::Minor;
}
int Revision()
{
    return VarkoVersion::Revision;
}

QString locateHelpFile()
{
    const QString beside = join(Path(), QStringLiteral("\\VARKOHELP.HLP"));
    const QString shared = QDir::cleanPath(QDir::fromNativeSeparators(Path()) +
                                           QStringLiteral("/" VARKO_DATA_FROM_BIN "/VARKOHELP.HLP"));
    const QString found =
        !QFileInfo::exists(beside) && QFileInfo::exists(shared) ? QDir::toNativeSeparators(shared) : beside;
    qCInfo(lcHelp).noquote() << "help file:" << found;
    return found;
}

QString HelpFile()
{
    return helpFile();
}
void setHelpFile(const QString &path)
{
    helpFile() = path;
}

void overridePath(const QString &folder)
{
    overriddenPath() = folder;
}

} // namespace App
