#include "app/CommandLine.h"

#include "version/Version.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace CommandLine {

namespace {

// Options the toolkit takes out of the command line itself once the
// application object exists; accepted here and left to it.
const char* const kToolkitValueOptions[] = {"platform",
                                            "platformpluginpath",
                                            "platformtheme",
                                            "plugin",
                                            "qwindowgeometry",
                                            "qwindowicon",
                                            "qwindowtitle",
                                            "display",
                                            "geometry",
                                            "style",
                                            "stylesheet",
                                            "session",
                                            "name",
                                            "title"};
const char* const kToolkitFlags[] = {"reverse", "widgetcount", "sync", "nograb", "dograb"};

} // namespace

QStringList fromArgv(int argc, const char* const* argv) {
    QStringList args;
    for (int i = 0; i < argc && argv && argv[i]; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

Outcome parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8("Fruitwake：农场游戏作物成熟提醒"));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QString::fromUtf8("显示本帮助后退出。"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QString::fromUtf8("显示版本后退出。"));
    const QCommandLineOption hidden(
        QStringLiteral("hidden"),
        QString::fromUtf8("启动后直接进入托盘（没有托盘时最小化）；已在运行时不打扰它。"));
    parser.addOptions({help, version, hidden});
    for (const char* name : kToolkitValueOptions) {
        QCommandLineOption o(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }
    for (const char* name : kToolkitFlags) {
        QCommandLineOption o(QString::fromLatin1(name));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }

    Outcome outcome;
    const QString program =
        arguments.isEmpty() ? QStringLiteral("fruitwake") : QFileInfo(arguments[0]).fileName();
    const bool parsed = parser.parse(arguments.isEmpty() ? QStringList{program} : arguments);
    if (parsed && parser.isSet(help)) {
        outcome.run = false;
        // The parser names the program from the application object, which
        // does not exist yet.
        QString text = parser.helpText();
        const qsizetype end = text.indexOf(u' ', text.indexOf(u':') + 2);
        if (text.startsWith(u"Usage: ") && end > 0)
            text.replace(7, end - 7, program);
        outcome.out = text;
        return outcome;
    }
    if (parsed && parser.isSet(version)) {
        outcome.run = false;
        outcome.out = QStringLiteral("Fruitwake " FW_VERSION "\n");
        return outcome;
    }
    QString error = parser.errorText();
    if (parsed && !parser.positionalArguments().isEmpty())
        error = QString::fromUtf8("多余的参数：") + parser.positionalArguments().join(u' ');
    if (!parsed || !error.isEmpty()) {
        outcome.run = false;
        outcome.exitCode = 2;
        outcome.err = program + QStringLiteral(": ") + error.simplified() +
                      QString::fromUtf8("（用 --help 查看用法）\n");
        return outcome;
    }
    outcome.hidden = parser.isSet(hidden);
    return outcome;
}

} // namespace CommandLine
