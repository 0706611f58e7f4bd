#include "bench/bench_support.h"

#include "ui/Modal.h"

#include <QComboBox>
#include <QDialog>
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

} // namespace BenchSupport
