#include "ui/ProgramStarter.h"

#include <QProcess>

namespace ProgramStarter {
namespace {

class DetachedStarter final : public Seam {
public:
    bool start(const QString &programPath) override { return QProcess::startDetached(programPath, {}); }
};

} // namespace

bool start(const QString &programPath)
{
    return !programPath.isEmpty() && Outside<Seam>::current().start(programPath);
}

} // namespace ProgramStarter

template <> ProgramStarter::Seam &Outside<ProgramStarter::Seam>::real()
{
    static ProgramStarter::DetachedStarter real;
    return real;
}
