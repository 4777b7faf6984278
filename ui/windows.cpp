#include "ui/windows.h"

#include <QMessageBox>
#include <QPushButton>

Windows::~Windows() = default;

bool Windows::anyLoaded() const
{
    return vantMain.isLoaded() || hScoreList.isLoaded() || scoreAdder.isLoaded() ||
           newGame.isLoaded();
}

void Windows::windowGone()
{
    if (!anyLoaded() && lastWindowGone) {
        lastWindowGone();
    }
}

void showMessageBox(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.exec();
}
