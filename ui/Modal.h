#pragma once

#include <functional>

class QDialog;

// Shows dialogs modally. Tests replace the runner with a script that fills in
// and closes the dialog instead of waiting for a user.
namespace Modal {

using Runner = std::function<int(QDialog &)>;

int exec(QDialog &dialog);

// Installs a runner; an empty one goes back to QDialog::exec().
void installRunner(Runner runner);

} // namespace Modal
