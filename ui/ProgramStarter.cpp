#include "ui/ProgramStarter.h"

#include <QProcess>

namespace ProgramStarter {
namespace {

class DetachedStarter final : public Seam {
public:
    bool start(const QString &programPath) override { return QProcess::startDetached(programPath, {}); }
};

Seam *g_seam = nullptr;

} // namespace

bool start(const QString &programPath)
{
    if (programPath.isEmpty())
        return false;
    static DetachedStarter real;
    Seam &seam = g_seam ? *g_seam : real;
    return seam.start(programPath);
}

void installSeam(Seam *seam)
{
    g_seam = seam;
}

} // namespace ProgramStarter
