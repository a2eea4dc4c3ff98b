// The splash window shown during start-up: a picture with the version, copyright and release.
#pragma once

#include <QPixmap>
#include <QWidget>

namespace tavil {

// The splash picture, drawn in code (500 by 400 pixels).
QPixmap SplashPicture();

class TSplash : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 500;
    static constexpr int kHeight = 400;

    // An absent (null) picture leaves the window without one; the texts are shown either way.
    TSplash(QPixmap picture, QString versionLine, QString copyright, QString releaseLabel);

    // Shows the window centred on the desktop and paints it once.
    void ShowAndPaint();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
    QString version_;
    QString copyright_;
    QString release_;
};

}  // namespace tavil
