#pragma once

#include <stdexcept>
#include <string>

/// Root of every error the framework raises; `Message()` is the user-facing pt-BR text.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

/// Silent abort: the reason was already shown to the user, nobody shows it again.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operação cancelada") {}
};

/// A text that is not a valid date, time, number or boolean.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

/// Misuse of a data set: wrong state, unknown field, read-only data, bad filter.
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

/// A data packet (or its JSON text) that does not have the expected shape.
class EDataPacketError : public Exception {
public:
    using Exception::Exception;
};
