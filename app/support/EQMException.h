// The error that carries every reported failure of the program: a message, a details text and a
// severity (0 critical: the program ends; 1 warning; 2 information).
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <exception>

namespace tavil {

class EQMException : public std::exception {
public:
    enum Severity : std::uint8_t { Critical = 0, Warning = 1, Information = 2 };

    EQMException(const QString& message, std::uint8_t severity, const QString& details = QString())
        : Message(message), Details(details), Severity(severity), what_(message.toUtf8()) {}

    const char* what() const noexcept override { return what_.constData(); }

    QString Message;
    QString Details;
    std::uint8_t Severity;

private:
    QByteArray what_;
};

}  // namespace tavil
