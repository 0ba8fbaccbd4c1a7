#pragma once

#include <QLineEdit>
#include <optional>

// Single-line edit that keeps only what can belong to a signed decimal number.
class CDigitGateEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CDigitGateEdit(QWidget* parent = nullptr);

    // The corrected text, or nullopt when the text is acceptable as it is.
    static std::optional<QString> filter(const QString& text);

private:
    void onChange();
};
