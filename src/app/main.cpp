#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("fruitwake"));
    QWidget w;
    w.setWindowTitle(QStringLiteral("Fruitwake"));
    w.show();
    return app.exec();
}
