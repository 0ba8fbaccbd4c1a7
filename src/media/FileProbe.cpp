#include "media/FileProbe.h"

#include <QFileInfo>
#include <QProcess>

FileProbe::~FileProbe() {
    // QProcess's destructor would wait for the child; it may never end.
    for (QProcess* child : findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        if (child->state() == QProcess::NotRunning)
            continue;
        child->disconnect(this);
        child->setParent(nullptr);
    }
}

void FileProbe::ask(const QString& path, Kind kind, std::function<void(bool)> answer) {
    auto* child = new QProcess(this);
    connect(child, &QProcess::finished, this,
            [child, answer](int code, QProcess::ExitStatus status) {
                child->deleteLater();
                answer(status == QProcess::NormalExit && code == 0);
            });
    // Without test(1) the path is looked at here after all.
    connect(child, &QProcess::errorOccurred, this,
            [child, answer, path, kind](QProcess::ProcessError e) {
                if (e != QProcess::FailedToStart)
                    return;
                child->deleteLater();
                const QFileInfo file(path);
                answer(kind == Kind::File ? file.isFile() : file.exists());
            });
    child->start(QStringLiteral("test"),
                 {kind == Kind::File ? QStringLiteral("-f") : QStringLiteral("-e"), path});
}
