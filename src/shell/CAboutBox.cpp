#include "shell/CAboutBox.h"

#include "version/Version.h"
#include "window/DialogUnits.h"
#include "window/ProgramIcon.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace {

QLabel* plainLabel(QWidget* parent, const QString& text, const QRect& geometry) {
    auto* label = new QLabel(parent);
    // Plain text, and no '&' turned into a mnemonic.
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setAccessibleName(text);
    label->setGeometry(geometry);
    return label;
}

} // namespace

QString CAboutBox::versionText() {
    return QStringLiteral("Fruitwake V" FW_VERSION_SHORT "版");
}

CAboutBox::CAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    const QFont font = DialogUnits::dialogFont();
    setFont(font);
    const DialogUnits du(font);
    setWindowTitle(caption());
    setWindowIcon(ProgramIcon::icon());
    setFixedSize(du.x(228), du.y(60));

    m_icon = new QLabel(this);
    const QRect iconRect = du.rect(11, 10, 20, 20);
    m_icon->setGeometry(iconRect);
    m_icon->setPixmap(ProgramIcon::icon().pixmap(iconRect.size()));
    m_icon->setAccessibleName(QStringLiteral("Fruitwake"));

    plainLabel(this, versionText(), du.rect(40, 10, 119, 8));
    plainLabel(this, QString::fromUtf8("农场作物成熟提醒"), du.rect(40, 25, 70, 8));
    plainLabel(this, QString::fromUtf8("自由软件"), du.rect(115, 23, 45, 8));
    plainLabel(this, QString::fromUtf8("MIT 许可"), du.rect(113, 33, 53, 8));

    m_ok = new QPushButton(QString::fromUtf8("确定"), this);
    m_ok->setObjectName(QStringLiteral("idc_1"));
    m_ok->setAccessibleName(m_ok->text());
    m_ok->setGeometry(du.rect(171, 7, 50, 14));
    m_ok->setDefault(true);
    m_ok->setFocus();
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
}

CAboutBox* CAboutBox::showFor(QWidget* owner) {
    // One box per owner: a tray click and a menu click must not stack two.
    static QPointer<CAboutBox> open;
    if (open && open->parentWidget() == owner) {
        open->raise();
        open->activateWindow();
        return open;
    }
    auto* box = new CAboutBox(owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    open = box;
    box->open();
    return box;
}
