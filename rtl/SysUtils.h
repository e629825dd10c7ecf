// Error classes of the runtime layer. Every error the system raises is one of
// these, so the default handler can always name its class.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
  public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const { return message_; }
    virtual const char* ClassName() const { return "Exception"; }
    const char* what() const noexcept override { return message_.c_str(); }

  private:
    std::string message_;
};

#define VELMORA_DECLARE_EXCEPTION(Name, Base)                                                      \
    class Name : public Base {                                                                     \
      public:                                                                                      \
        using Base::Base;                                                                          \
        const char* ClassName() const override { return #Name; }                                   \
    };

VELMORA_DECLARE_EXCEPTION(EConvertError, Exception)
VELMORA_DECLARE_EXCEPTION(ERegistryException, Exception)
VELMORA_DECLARE_EXCEPTION(EOutOfResources, Exception)
VELMORA_DECLARE_EXCEPTION(EListError, Exception)
VELMORA_DECLARE_EXCEPTION(EStringListError, EListError)

#undef VELMORA_DECLARE_EXCEPTION

// Replaces the first "%s" or "%d" in pattern with arg; the messages of this
// system carry exactly one argument.
std::string FormatMessage(const std::string& pattern, const std::string& arg);

// The class name of any error, for the "Application Error" box.
const char* ErrorClassName(const std::exception& error);
