#pragma once
// The exception family of the framework. Handlers raise these; TApplication reports whatever
// escapes an event handler in its standard message box and the program goes on.

#include <stdexcept>
#include <string>

namespace qm {

class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

class EInvalidGraphicOperation : public Exception {
public:
    using Exception::Exception;
};

class EConvertError : public Exception {
public:
    using Exception::Exception;
};

class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};

class EOutOfMemory : public Exception {
public:
    using Exception::Exception;
};

// Silent: an abort unwinds an operation without being reported to the user.
class EAbort : public Exception {
public:
    using Exception::Exception;
};

class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

} // namespace qm
