#pragma once

#include "app/Outside.h"

#include <QString>

class QWidget;

// Every message box of the program goes through here, so tests can answer them.
namespace MsgBox {

enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

inline const QString DefaultTitle = QStringLiteral("Varko");

struct Request {
    QString prompt;
    Buttons buttons = Buttons::Ok;
    QString title;
};

// Shows a modal box and returns the button pressed. The title is the
// program's unless one is given.
Answer show(QWidget *parent, const QString &prompt, Buttons buttons = Buttons::Ok,
            const QString &title = DefaultTitle);

// What shows the boxes: real ones, or a test's script in their place.
class Seam {
public:
    virtual ~Seam() = default;
    virtual Answer answer(QWidget *parent, const Request &request) = 0;
};

} // namespace MsgBox

template <> MsgBox::Seam &Outside<MsgBox::Seam>::real();
