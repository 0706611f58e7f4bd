#include "ui/Modal.h"

#include <QDialog>

namespace Modal {
namespace {
Runner &runner()
{
    static Runner r;
    return r;
}
} // namespace

int exec(QDialog &dialog)
{
    if (runner())
        return runner()(dialog);
    return dialog.exec();
}

void installRunner(Runner r)
{
    runner() = std::move(r);
}

} // namespace Modal
