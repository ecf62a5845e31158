// The program's errors: one base class carrying the message text, and its kinds.
#pragma once

#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// The data layer: field access, database and driver failures.
class EDatabaseError : public Exception {
    using Exception::Exception;
};

// A profile file that the platform refuses to write.
class EIniFileException : public Exception {
    using Exception::Exception;
};

// A file that cannot be created.
class EFCreateError : public Exception {
    using Exception::Exception;
};

// Writing to a file or stream failed (disk full, broken pipe).
class EWriteError : public Exception {
    using Exception::Exception;
};

// Text that cannot be converted between the code page and Unicode.
class EEncodingError : public Exception {
    using Exception::Exception;
};

// A value that cannot be read as the asked type.
class EConvertError : public Exception {
    using Exception::Exception;
};

// Copying an object of one class into one of another.
class EAssignError : public Exception {
    using Exception::Exception;
};
