#include "dialogs/Registry.h"

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
    std::optional<Value> value(quint32 root, const QByteArray &keyName,
                               const QByteArray &valueName) const override
    {
        if (root != LocalMachine || !sameName(keyName, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO") ||
            !sameName(valueName, "PATH"))
            return std::nullopt;
        const QString tool = findTool();
        if (tool.isEmpty())
            return std::nullopt;
        return Value{TextValue, tool.toLocal8Bit() + '\0'}; // the NUL is counted, as Windows does
    }

private:
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

} // namespace
} // namespace Registry

template <> Registry::Reader &Outside<Registry::Reader>::real()
{
    static Registry::DesktopReader desktop;
    return desktop;
}
