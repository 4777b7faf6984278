#include "ui/dialogs/framelessdialog.h"

#include "ui/main/boardstate.h"
#include "ui/windows.h"

#include <QPainter>

FramelessDialog::FramelessDialog(const char *name, QSize clientSize) : m_client(new QWidget(this))
{
    setObjectName(QString::fromLatin1(name));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowTitle(QString());
    setFixedSize(clientSize + QSize(2, 2));
    m_client->setGeometry(QRect(QPoint(1, 1), clientSize));
    QPalette palette = m_client->palette();
    palette.setColor(QPalette::Window, kLightGrey);
    m_client->setPalette(palette);
    m_client->setAutoFillBackground(true);
    centreOnScreen(*this);
}

void FramelessDialog::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
