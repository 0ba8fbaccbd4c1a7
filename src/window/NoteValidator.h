#pragma once

#include <QValidator>

// Keeps the note within what the data file's record holds. Text typed or
// pasted lands just before the cursor, so the excess is cut from there, whole
// characters at a time; whatever stood before stays.
class NoteValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override;

private:
    static int charBefore(const QString& s, int pos);
};
