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

} // namespace

Answer show(QWidget *parent, const QString &prompt, Buttons buttons, const QString &title)
{
    return Outside<Seam>::current().answer(parent, Request{prompt, buttons, title});
}

} // namespace MsgBox

template <> MsgBox::Seam &Outside<MsgBox::Seam>::real()
{
    static MsgBox::RealBoxes real;
    return real;
}
