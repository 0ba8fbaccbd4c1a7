#pragma once

#include <QApplication>

// The application object: names (for the data file's place and message-box
// captions), the icon, Qt's texts in Chinese, and the run of the main window.
class CReminderApp : public QApplication {
    Q_OBJECT
public:
    CReminderApp(int& argc, char** argv);

    // Shows the main window (or starts in the tray) and returns when it has ended.
    int run(bool startHidden = false);

    static void setNames();
};
