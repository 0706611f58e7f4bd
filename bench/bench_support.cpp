#include "bench/bench_support.h"

#include "ui/Modal.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <sys/resource.h>

namespace BenchSupport {
namespace {

class SettingsAnswer final : public Modal::Runner {
public:
    explicit SettingsAnswer(int limit) : m_limit(limit) {}
    int exec(QDialog &dialog) override
    {
        dialog.findChild<QLineEdit *>(QStringLiteral("txtWName"))->setText(QStringLiteral("Anna"));
        dialog.findChild<QLineEdit *>(QStringLiteral("txtBName"))->setText(QStringLiteral("Bruno"));
        dialog.findChild<QComboBox *>(QStringLiteral("cbTime"))->setEditText(QString::number(m_limit));
        dialog.findChild<QLineEdit *>(QStringLiteral("txtGameName"))->clear();
        dialog.findChild<QPushButton *>(QStringLiteral("cmdConferma"))->click();
        return dialog.result();
    }

private:
    int m_limit;
};

} // namespace

void answerSettings(int limit)
{
    Outside<Modal::Runner>::emplace<SettingsAnswer>(limit);
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

int fromEnvironment(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

QString clockText(int seconds)
{
    auto two = [](int n) { return QString::number(n).rightJustified(2, u'0'); };
    return two(seconds / 3600) + u':' + two(seconds / 60 % 60) + u':' + two(seconds % 60);
}

void fullHdWhenOffscreen(const QString &folder)
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform != "offscreen")
        return;
    const QString path = folder + QStringLiteral("/screen.json");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(R"({"screens": [{"name": "1920x1080", "x": 0, "y": 0, "width": 1920, "height": 1080,)"
               R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(path));
}

void press(QWidget &window, int key, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&window, &event);
}

} // namespace BenchSupport
