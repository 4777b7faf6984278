#include "ui/controls.h"

#include "ui/fonts.h"
#include "ui/main/boardstate.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStyleOptionMenuItem>

namespace {

class PushButton : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    // Return and Enter press the button, once per key press, as Space does.
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
            QPushButton::keyPressEvent(event);
        } else if (!event->isAutoRepeat()) {
            click();
        }
    }
};

class MenuBar : public QMenuBar
{
protected:
    void initStyleOption(QStyleOptionMenuItem *option, const QAction *action) const override
    {
        QMenuBar::initStyleOption(option, action);
        // The menu bar has the focus only while it is worked from the keyboard; a mouse
        // pointer over an entry selects it too, and keeps the plain look.
        if ((option->state & QStyle::State_Selected) && hasFocus()) {
            option->state |= QStyle::State_Sunken;
        }
    }
};

} // namespace

QLabel *makeLabel(QWidget *parent, const char *name, const QString &caption, const QRect &box,
                  const QFont &font, Qt::Alignment alignment)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(box);
    label->setFont(fittedFont(font, caption, box.width()));
    label->setAlignment(alignment);
    label->setMargin(0);
    label->setIndent(0);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, kLightGrey);
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    return label;
}

QPushButton *makePushButton(QWidget *parent, const char *name, const QString &caption,
                            const QRect &box)
{
    auto *button = new PushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(box);
    button->setFont(fittedFont(gameFont(), caption, box.width() - 8));
    button->setFocusPolicy(Qt::StrongFocus);
    button->setAutoDefault(false);
    return button;
}

QMenuBar *makeMenuBar()
{
    return new MenuBar;
}
