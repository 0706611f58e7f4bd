#pragma once

#include "app/Outside.h"

class QDialog;

// Shows dialogs modally. Tests put a runner of their own in place, a script
// that fills in and closes the dialog instead of waiting for a user.
namespace Modal {

// What runs a dialog's modal loop: QDialog::exec(), or a test's script.
class Runner {
public:
    virtual ~Runner() = default;
    virtual int exec(QDialog &dialog) = 0;
};

int exec(QDialog &dialog);

} // namespace Modal

template <> Modal::Runner &Outside<Modal::Runner>::real();
