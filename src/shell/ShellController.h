#pragma once

#include "reminders/ReminderStore.h"
#include "shell/ShellPorts.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class AlertQueue;
class QCoreApplication;

// Where the main window is (shown, hidden to the tray, ending) and how every
// way out of the program ends it exactly once. No widgets: the window, the
// tray and the close question come in through ports.
class ShellController : public QObject {
    Q_OBJECT
public:
    enum class State { Shown, HiddenToTray, Ending };
    Q_ENUM(State)
    enum class EndReason { CloseConfirmed, TrayClose, SessionEnd, AppQuit, Signal };
    Q_ENUM(EndReason)

    // The question gets its answer through the callback, now or later; an
    // answer that comes after the program began ending is ignored.
    using Answer = std::function<void(bool ok)>;
    using Question = std::function<void(const QString& caption, const QString& text, Answer)>;
    using SaveFunction = std::function<SaveResult()>;
    using ExitFunction = std::function<void()>;
    // Tells the text and calls done once it has been read.
    using Notice = std::function<void(const QString& text, std::function<void()> done)>;

    ShellController(WindowPort& window, TrayPort& tray, QObject* parent = nullptr);

    void setQuestion(Question question) { m_question = std::move(question); }
    // The save at the end, and the data file it writes, for telling the user where.
    void setSaveFunction(SaveFunction save, QString path = QString()) {
        m_save = std::move(save);
        m_savePath = std::move(path);
    }
    void setExitFunction(ExitFunction exit) { m_exit = std::move(exit); }
    void setAboutFunction(std::function<void()> about) { m_about = std::move(about); }
    // Without a notifier (or when it finds no service) the tray's message tells;
    // a click on a notification brings the window forward.
    void setNotifier(NotifierPort* notifier);
    // A failed last save when the user ended the program is told here first.
    void setExitSaveNotice(Notice notice) { m_exitSaveNotice = std::move(notice); }

    // The session ending and the application quitting end the program too.
    void watchApplication(QCoreApplication* app);
    // Each alert the queue begins to present reaches alertArrived().
    void watchAlerts(AlertQueue* queue);

    State state() const { return m_state; }
    bool isQuestionOpen() const { return m_questionOpen; }

    static QString trayTip() { return QStringLiteral("Fruitwake"); }
    static QString closeCaption() { return QString::fromUtf8("关闭提醒"); }
    static QString closeQuestion() { return QString::fromUtf8("是否关闭提醒器?"); }
    static QString exitSaveFailedText(const QString& path, const QString& reason);

public slots:
    void requestMinimize();
    // The window was minimised (its button, the desktop, or Wayland handing our
    // own request back): into the tray where there is one, else left so.
    void windowMinimized();
    // Returns true when the window may really close (the program is ending);
    // otherwise the close event is to be ignored.
    bool requestClose();
    void requestAbout();
    // A second start wants the window in front, with the keyboard focus.
    void bringForward();
    // An alert's turn came (one per catch-up batch): while the window is out
    // of sight the desktop is told, since boxes may be off.
    void alertArrived(const QString& text, bool ripe);
    // An alert's box is about to show: the window comes in front, unactivated.
    void alertRaised();
    void requestEnd(EndReason reason);
    void endOnSignal(int signalNumber);

signals:
    void stateChanged(State state);
    // Emitted once, after the save and before the exit function.
    void endRequested(EndReason reason);
    void exitSaveFailed(const QString& error);

private:
    void hideToTray();
    void showWindow();
    bool outOfSight() const;
    void tellDesktop(const QString& text, bool lasting);
    void onTrayActivated(TrayActivation how);
    void onTrayAvailability(bool available);
    void answerClose(bool ok);
    void setState(State state);
    void finishEnd(EndReason reason);

    WindowPort& m_window;
    TrayPort& m_tray;
    Question m_question;
    SaveFunction m_save;
    QString m_savePath;
    ExitFunction m_exit;
    std::function<void()> m_about;
    QPointer<NotifierPort> m_notifier;
    Notice m_exitSaveNotice;
    bool m_noticeOpen = false;
    bool m_finished = false;
    State m_state = State::Shown;
    bool m_questionOpen = false;
};
