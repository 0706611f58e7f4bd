#include "ui/MessageBox.h"

#include <QMessageBox>

namespace MsgBox {
namespace {

class RealBoxes final : public Seam {
public:
    Answer answer(QWidget *parent, const Request &request) override
    {
        QMessageBox box(parent);
        box.setWindowTitle(request.title);
        box.setText(request.prompt);
        if (request.buttons == Buttons::YesNo) {
            box.setIcon(QMessageBox::Question);
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::No);
            return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
        }
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return Answer::Ok;
    }
};

Seam *g_seam = nullptr;

} // namespace

Answer show(QWidget *parent, const QString &prompt, Buttons buttons, const QString &title)
{
    static RealBoxes real;
    Seam &seam = g_seam ? *g_seam : real;
    return seam.answer(parent, Request{prompt, buttons, title});
}

void installSeam(Seam *seam)
{
    g_seam = seam;
}

} // namespace MsgBox
