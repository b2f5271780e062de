#pragma once

#include <exception>
#include <string>

namespace fw {

// Base of every failure the framework raises. Message is what the caller may
// show; Detail is diagnostic text for reports (the file and the OS error) and
// never part of Message.
class RuntimeException : public std::exception {
public:
    explicit RuntimeException(std::string message = {}, std::string detail = {});
    ~RuntimeException() override;

    const char* what() const noexcept override;
    virtual const char* ClassName() const noexcept { return "RuntimeException"; }

    std::string Message;
    std::string Detail;
};

#define FW_DECLARE_EXCEPTION(Name)                                                 \
    class Name : public RuntimeException {                                         \
    public:                                                                        \
        using RuntimeException::RuntimeException;                                 \
        const char* ClassName() const noexcept override { return #Name; }          \
    };

FW_DECLARE_EXCEPTION(IOException)
FW_DECLARE_EXCEPTION(OutOfBoundsException)
FW_DECLARE_EXCEPTION(NilObjectException)
FW_DECLARE_EXCEPTION(ThreadAlreadyRunningException)
FW_DECLARE_EXCEPTION(KeyNotFoundException)

#undef FW_DECLARE_EXCEPTION

// One line on stderr for an exception that nobody handled.
void ReportUnhandledException(const std::exception& e, const char* where) noexcept;
void ReportUnhandledUnknown(const char* where) noexcept;

}
