#pragma once

#include "reminders/DataLock.h"

#include <QLocalServer>
#include <QObject>
#include <QString>

// One Fruitwake per data file, so two writers never race on it, whatever
// runtime folder or path to the data a start sees. The lock lives with the
// data (DataLock). The holder also listens on a Linux abstract socket named
// after the data folder's canonical path, which needs no folder at all: a
// later start asks it to come forward and gives up. A holder that takes the
// line but does not answer is hung: the start takes its lock and listens on
// the next free name; the hung one, back again, finds another's lock, never
// writes again and leaves the new holder's lock and socket alone.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Primary,        // this process runs the program
        AlreadyRunning, // another one does and came forward
        Unguarded,      // no lock can be made beside the data (read-only place): run anyway
        Failed,         // a holder that does not answer could not be replaced; see errorText
    };

    explicit SingleInstance(const QString& dataFile, QObject* parent = nullptr);

    // askForward false: a running instance is found but not disturbed.
    Outcome start(bool askForward = true);
    // Asked before every write of the data file: false for good once another
    // Fruitwake has taken this one's place, which guardLost() then tells once.
    bool holdsGuard();
    QString lockPath() const { return m_lock.path(); }
    QString errorText() const { return m_error; }

    static QByteArray activateMessage() { return QByteArrayLiteral("activate\n"); }
    // Asks only whether the first is alive, as a hidden start does.
    static QByteArray pingMessage() { return QByteArrayLiteral("ping\n"); }
    static QByteArray answerMessage() { return QByteArrayLiteral("ok\n"); }

signals:
    void activationRequested();
    void guardLost();

private:
    // Asks each that listens under those names; the silent ones are added.
    bool ask(const QStringList& names, bool askForward, QStringList* silent);
    Outcome failed();
    void onNewConnection();

    DataLock m_lock;
    QStringList m_names; // for the holder, and for each hung one it took over from
    QString m_error;
    QLocalServer m_server;
    bool m_lost = false;
};
