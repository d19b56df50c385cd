#pragma once

#include <QString>
#include <stdexcept>

// Every failure of the data layer: a missing folder, file, table, field or index, a bad filter, a text that
// is not a number or a date, an engine error. The message is meant for the user and is in Portuguese; windows
// show it in the standard error box. An engine error also keeps the engine's own words.
class DataError : public std::runtime_error {
public:
    explicit DataError(const QString& message, const QString& engineMessage = {})
        : std::runtime_error(message.toStdString()), message_(message), engineMessage_(engineMessage) {}
    const QString& message() const { return message_; }
    const QString& engineMessage() const { return engineMessage_.isEmpty() ? message_ : engineMessage_; }

private:
    QString message_;
    QString engineMessage_;
};
