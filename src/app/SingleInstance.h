#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

// One Fruitwake per data file, so two writers never race on it: the first
// start holds a lock file and listens on a local socket, both in the user's
// runtime folder where deleting the data folder cannot take them away; a later
// start asks the first to come forward and gives up, or takes the place of a
// first that does not answer (hung, or a crash left its lock to a reused
// process id).
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Primary,        // this process runs the program
        AlreadyRunning, // another one does and came forward
        Unguarded,      // no lock could be made (read-only place): run anyway
        Failed,         // a holder that does not answer could not be replaced; see errorText
    };

    SingleInstance(QString lockPath, QString serverName, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The lock and the socket for the data file at dataFile, named after its
    // path; beside the data when there is no runtime folder.
    static std::unique_ptr<SingleInstance> ForDataFile(const QString& dataFile,
                                                       QObject* parent = nullptr);

    // askForward false: a running instance is found but not disturbed.
    Outcome start(bool askForward = true);
    QString lockPath() const { return m_lockPath; }
    QString serverName() const { return m_serverName; }
    QString errorText() const { return m_error; }

    static QByteArray ActivateMessage() { return QByteArrayLiteral("activate\n"); }
    // Asks only whether the first is alive, as a hidden start does.
    static QByteArray PingMessage() { return QByteArrayLiteral("ping\n"); }
    static QByteArray AnswerMessage() { return QByteArrayLiteral("ok\n"); }

signals:
    void activationRequested();

private:
    bool askRunningInstance(bool askForward);
    Outcome takeOver(bool askForward);
    void onNewConnection();

    QString m_lockPath;
    QString m_serverName;
    QString m_error;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
};
