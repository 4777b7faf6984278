#pragma once

#include <QWidget>

// A dialog without a title bar: a fixed one-pixel black border painted around a light-grey
// client area, centred on the screen. The window manager cannot move or resize it, and
// cannot close it either: only the game unloads it, through the dialog's own buttons or at its
// end (WindowSlot::unload). Minimised or moved all the same, by a window manager that does not
// heed that, it comes straight back to the middle of the screen.
class FramelessDialog : public QWidget
{
public:
    FramelessDialog(const char *name, QSize clientSize);

    // The client area: controls are placed in its coordinates.
    QWidget *client() const { return m_client; }

    // Keeps the dialog, already shown, above `window` from now on, as a window of its own.
    void stayAbove(QWidget &window);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void tellTransientParent();

    QWidget *m_client;
    QPoint m_home;
    int m_movesUndone = 0;
};
