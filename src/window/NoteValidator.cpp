#include "window/NoteValidator.h"

#include "reminders/ReminderImage.h"

QValidator::State NoteValidator::validate(QString& input, int& pos) const {
    if (fitsNote(input))
        return Acceptable;
    pos = qBound(0, pos, int(input.size()));
    while (pos > 0 && !fitsNote(input)) {
        const int n = charBefore(input, pos);
        input.remove(pos - n, n);
        pos -= n;
    }
    while (!input.isEmpty() && !fitsNote(input))
        input.chop(charBefore(input, int(input.size())));
    pos = qMin(pos, int(input.size()));
    return Acceptable;
}

int NoteValidator::charBefore(const QString& s, int pos) {
    return pos >= 2 && s[pos - 1].isLowSurrogate() && s[pos - 2].isHighSurrogate() ? 2 : 1;
}
