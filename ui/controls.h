#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QMenuBar;
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

// A menu bar in the window that draws the entry chosen with the keyboard (after Alt) as the
// style draws an entry whose menu is open. Entries without a menu never open one, and some
// styles (Fusion among them) would draw the chosen one like all the others.
QMenuBar *makeMenuBar();
