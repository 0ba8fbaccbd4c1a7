#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The About box: the program icon, name and version, two lines about the
// project and the button "确定". Laid out in dialog units of the dialog font.
class CAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit CAboutBox(QWidget* parent = nullptr);

    static QString caption() { return QString::fromUtf8("关于 Fruitwake"); }
    static QString versionText();

    // Opens the one About box of this owner without a nested event loop, so
    // the reminders keep ticking behind it; a second request raises it.
    static CAboutBox* showFor(QWidget* owner);

    QLabel* iconLabel() const { return m_icon; }
    QPushButton* okButton() const { return m_ok; }

private:
    QLabel* m_icon;
    QPushButton* m_ok;
};
