#include "controls/CCaptionCombo.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>

namespace {

class CaptionComboAccessible final : public QAccessibleWidget {
public:
    explicit CaptionComboAccessible(QComboBox* box)
        : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        const QString caption = widget()->accessibleName();
        switch (t) {
        case QAccessible::Name: // with no item chosen, still named: by its caption
            return box()->currentText().isEmpty() ? caption : box()->currentText();
        case QAccessible::Description:
            return caption;
        case QAccessible::Value:
            return box()->currentText();
        default:
            return QAccessibleWidget::text(t);
        }
    }
    // The items, as the list the box opens.
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child->object() == box()->view() ? 0 : -1;
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = box()->view()->isVisible();
        s.collapsed = !s.expanded;
        return s;
    }
    QStringList actionNames() const override {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action != showMenuAction() && action != pressAction())
            return QAccessibleWidget::doAction(action);
        if (box()->view()->isVisible())
            box()->hidePopup();
        else
            box()->showPopup();
    }

private:
    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className == QLatin1String("CCaptionCombo") && object->isWidgetType())
        return new CaptionComboAccessible(static_cast<QComboBox*>(object));
    return nullptr;
}

} // namespace

CCaptionCombo::CCaptionCombo(QWidget* parent) : QComboBox(parent) {
    // Asked before the base classes' factories, by this class's own name.
    QAccessible::installFactory(factory);
    // The item is the name, so a change of item is a change of name.
    connect(this, &QComboBox::currentTextChanged, this, [this] {
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    });
}
