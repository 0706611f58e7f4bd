#include "ui/Modal.h"

#include <QDialog>

namespace Modal {
namespace {

class DialogLoop final : public Runner {
public:
    int exec(QDialog &dialog) override { return dialog.exec(); }
};

} // namespace

int exec(QDialog &dialog)
{
    return Outside<Runner>::current().exec(dialog);
}

} // namespace Modal

template <> Modal::Runner &Outside<Modal::Runner>::real()
{
    static Modal::DialogLoop real;
    return real;
}
