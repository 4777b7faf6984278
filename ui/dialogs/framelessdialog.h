#pragma once

#include <QWidget>

// A dialog without a title bar: a fixed one-pixel black border painted around a light-grey
// client area, centred on the screen. The window manager cannot move or resize it, and
// cannot close it either: only the dialog's own buttons do.
class FramelessDialog : public QWidget
{
public:
    FramelessDialog(const char *name, QSize clientSize);

    // The client area: controls are placed in its coordinates.
    QWidget *client() const { return m_client; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *m_client;
};
