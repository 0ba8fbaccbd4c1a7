#pragma once

#include <QApplication>

// The application object: names (for the data file's place and message-box
// captions), the icon, and the run of the main window.
class CReminderApp : public QApplication {
    Q_OBJECT
public:
    CReminderApp(int& argc, char** argv);

    // Shows the main window and returns when it has ended.
    int Run();

    static void SetNames();
};
