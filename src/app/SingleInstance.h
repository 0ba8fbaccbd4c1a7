#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

// One Fruitwake per data file, so two writers never race on it: the first
// start holds a lock file beside the data and listens on a local socket; a
// later start finds the lock, asks the first to come forward and gives up.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Primary,        // this process runs the program
        AlreadyRunning, // another one does and was asked to come forward
        Unguarded,      // no lock could be made (read-only place): run anyway
    };

    SingleInstance(QString lockPath, QString serverName, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The lock beside the data file in dataDir and a per-user socket name
    // derived from that folder.
    static std::unique_ptr<SingleInstance> ForDataDir(const QString& dataDir,
                                                      QObject* parent = nullptr);
    static QString ServerNameFor(const QString& dataDir);

    // askForward false: a running instance is found but not disturbed.
    Outcome start(bool askForward = true);
    QString lockPath() const { return m_lockPath; }
    QString serverName() const { return m_serverName; }
    QString errorText() const { return m_error; }

    static QByteArray ActivateMessage() { return QByteArrayLiteral("activate\n"); }

signals:
    void activationRequested();

private:
    bool askRunningInstance();
    void onNewConnection();

    QString m_lockPath;
    QString m_serverName;
    QString m_error;
    QLockFile m_lock;
    QLocalServer m_server;
};
