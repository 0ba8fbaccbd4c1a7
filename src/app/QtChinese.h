#pragma once

class QCoreApplication;

// Qt's own texts (box buttons, the file chooser, the calendar, sound errors)
// in Chinese, as the rest of the window is, whatever the user's locale.
// Returns whether both of Qt's catalogues were found.
bool installQtChinese(QCoreApplication* app);
