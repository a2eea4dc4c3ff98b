#include "app/editing/TStarStyle.h"

#include <QApplication>
#include <QLineEdit>

namespace tavil {

int TStarStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                          QStyleHintReturn* returnData) const
{
    if (hint == QStyle::SH_LineEdit_PasswordCharacter) return '*';
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void MakeStarPasswordEdit(QLineEdit* edit)
{
    edit->setEchoMode(QLineEdit::Password);
    // A proxy of a new style of the application's kind: a proxy takes ownership of the style it
    // wraps, so it cannot wrap the application's own.
    auto* star = new TStarStyle(QApplication::style()->name());
    star->setParent(edit);
    edit->setStyle(star);
}

}  // namespace tavil
