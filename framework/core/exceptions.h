#pragma once
// The exception family of the framework. Handlers raise these; TApplication reports whatever
// escapes an event handler, EAbort included, in its standard message box and the program goes on.

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

// Stops the operation in progress: a handler that refuses it (a before-delete handler, say)
// raises EAbort, and the dataset leaves its state as it was. It is not silent: the application
// object shows its message in the standard box like any other exception.
class EAbort : public Exception {
public:
    using Exception::Exception;
};

class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

} // namespace qm
