#pragma once

#include <QString>

// The lock that lives with the data: "fruitwake.lock" in the data folder, in
// QLockFile's format (which older versions used there), held with flock() for
// as long as the holder keeps it open. The holder is the process whose open
// file is the one at that name, so a copy whose file was replaced knows it was
// taken over. The file is never deleted: a holder that ends leaves it unlocked
// behind, a copy that was taken over then still finds another's file there.
class DataLock {
public:
    enum class Result {
        Held,        // this process holds it
        Busy,        // a live process holds it
        Unavailable, // no lock can be made here (a read-only or full place)
        Broken,      // something that cannot be replaced is in its place
    };

    // The folder is made when missing and named by its canonical path, so
    // every way of reaching it leads to the one lock.
    explicit DataLock(const QString& folder);
    ~DataLock();
    DataLock(const DataLock&) = delete;
    DataLock& operator=(const DataLock&) = delete;

    QString folder() const { return m_folder; }
    QString path() const { return m_path; }

    // Takes the lock when it is free, or left by a holder that has ended.
    Result acquire();
    // Puts this process's lock in the place of a live holder's (one that
    // stopped answering); false when the place cannot be taken.
    bool takeOver();
    // True while the file at the lock's name is this process's, also when it
    // went away with the folder and could be made anew; false for good once
    // another process's file is there.
    bool holds();
    // The process the lock file names, 0 when it names none.
    qint64 holderPid() const;
    QString errorText() const { return m_error; }

private:
    int create(const QString& name);
    bool isStale() const;
    void adopt(int fd);

    QString m_folder;
    QString m_path;
    QString m_error;
    int m_fd = -1;
    bool m_lost = false;
};
