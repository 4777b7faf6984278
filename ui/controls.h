#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// A text label at its pixel box with an opaque light-grey background, its font narrowed if
// needed so the caption fits.
QLabel *makeLabel(QWidget *parent, const char *name, const QString &caption, const QRect &box,
                  const QFont &font, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop);

// A push button at its pixel box that takes the keyboard focus by click and by Tab. Space,
// Return and Enter press it while it has the focus.
QPushButton *makePushButton(QWidget *parent, const char *name, const QString &caption,
                            const QRect &box);
