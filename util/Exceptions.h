#pragma once
// The exception hierarchy of the program: every failure is reported by raising
// one of these with the message text the user sees.

#include <stdexcept>
#include <string>

namespace pictavo {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// A platform object (bitmap, icon handle, surface) could not be made.
class EOutOfResources : public Exception {
    using Exception::Exception;
};
class EInvalidGraphic : public Exception {
    using Exception::Exception;
};
class EPEException : public Exception {
    using Exception::Exception;
};
class ECompressionError : public Exception {
    using Exception::Exception;
};
class EDecompressionError : public Exception {
    using Exception::Exception;
};
// An index outside a list ("List index out of bounds (%d)").
class EListError : public Exception {
    using Exception::Exception;
};
class EConvertError : public Exception {
    using Exception::Exception;
};
// A variant could not be converted to the kind asked for.
class EVariantError : public Exception {
    using Exception::Exception;
};

class EStreamError : public Exception {
    using Exception::Exception;
};
class EReadError : public EStreamError {
    using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
    using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
    using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
    using EStreamError::EStreamError;
};

// Formats a message with printf-style arguments, as the program's texts are written.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace pictavo
