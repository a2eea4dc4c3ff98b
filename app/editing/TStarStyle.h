// The password edits of the command-file window and the wizard show "*" for every character,
// whatever the style would draw.
#pragma once

#include <QProxyStyle>

class QLineEdit;

namespace tavil {

// The application's style with "*" as the password character.
class TStarStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
};

// Turns `edit` into a password edit drawn with a TStarStyle of its own.
void MakeStarPasswordEdit(QLineEdit* edit);

}  // namespace tavil
