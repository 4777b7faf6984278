#include "ui/dialogs/newgame.h"

#include "ui/controls.h"
#include "ui/dialogs/scoreadder.h"
#include "ui/fonts.h"
#include "ui/main/vantmain.h"
#include "ui/windows.h"

#include <QLabel>
#include <QPushButton>

NewGame::NewGame(Windows &windows) : FramelessDialog("NewGame", QSize(104, 48)), m_windows(windows)
{
    setAccessibleName(QStringLiteral("Play again?")); // read when the dialog opens
    QWidget *area = client();
    makeLabel(area, "Label1", QStringLiteral("Play again?"), QRect(8, 0, 89, 25), gameFont(16),
              Qt::AlignHCenter | Qt::AlignTop);
    QPushButton *yes =
        makePushButton(area, "Command1", QStringLiteral("Yes"), QRect(8, 24, 41, 17));
    QPushButton *no = makePushButton(area, "Command2", QStringLiteral("No"), QRect(56, 24, 41, 17));
    setTabOrder(yes, no);
    for (QPushButton *answer : {yes, no})
        answer->setAccessibleDescription(QStringLiteral("Play again?")); // for "where am I"
    yes->setFocus();
    connect(yes, &QPushButton::clicked, this, [this] {
        m_windows.vantMain.show();
        // A winner's dialog still waiting for a name stays on top of the fresh board.
        if (ScoreAdder *waiting = m_windows.scoreAdder.window()) {
            waiting->raise();
        }
        m_windows.newGame.unload();
    });
    connect(no, &QPushButton::clicked, this, [this] { m_windows.newGame.unload(); });
}
