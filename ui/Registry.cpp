#include "ui/Registry.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

namespace Registry {
namespace {

// Without a registry, the system-information key is answered with a desktop
// system-information program found on PATH. The folder key of the fall-back
// lookup names nothing here.
class DesktopReader final : public Reader {
public:
    OpenResult open(quint32 root, const QByteArray &keyName, quint32, quint32) override
    {
        if (root != LocalMachine || !sameName(keyName, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"))
            return {FileNotFound, 0};
        return {Success, SysInfoKey};
    }

    QueryResult query(Handle key, const QByteArray &valueName, quint32 bufferSize) override
    {
        if (key != SysInfoKey || !sameName(valueName, "PATH"))
            return {};
        const QString tool = findTool();
        if (tool.isEmpty())
            return {};
        const QByteArray text = tool.toLocal8Bit() + '\0'; // the NUL is counted, as Windows does
        const auto size = quint32(text.size());
        if (size > bufferSize)
            return {MoreData, TextValue, {}, size};
        return {Success, TextValue, text, size};
    }

    long close(Handle key) override { return key == SysInfoKey ? Success : FileNotFound; }

private:
    static constexpr Handle SysInfoKey = 1;

    // Registry names are not case-sensitive.
    static bool sameName(const QByteArray &a, const char *b)
    {
        return a.compare(b, Qt::CaseInsensitive) == 0;
    }

    static QString findTool()
    {
        static const QStringList candidates = {
            QStringLiteral("hardinfo"), QStringLiteral("hardinfo2"), QStringLiteral("kinfocenter"),
            QStringLiteral("cpu-x"),    QStringLiteral("lshw-gtk"),  QStringLiteral("gnome-system-monitor"),
        };
        for (const QString &name : candidates) {
            const QString path = QStandardPaths::findExecutable(name);
            if (!path.isEmpty())
                return QFileInfo(path).absoluteFilePath();
        }
        return {};
    }
};

Reader *g_installed = nullptr;

} // namespace

Reader &reader()
{
    static DesktopReader desktop;
    return g_installed ? *g_installed : desktop;
}

void installReader(Reader *r)
{
    g_installed = r;
}

} // namespace Registry
