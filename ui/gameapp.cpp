#include "ui/gameapp.h"

#include "packaging/appicon.h"
#include "ui/dialogs/highscorefile.h"
#include "ui/main/vantmain.h"

#include <QApplication>

GameApp::GameApp()
    : m_services{m_state, m_random, showMessageBox,
                 HighScoreFile::pathIn(QCoreApplication::applicationDirPath())},
      m_windows(m_services)
{
    QApplication::setWindowIcon(appIcon());
}

void GameApp::start()
{
    m_windows.vantMain.show();
}
