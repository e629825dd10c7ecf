// The program's frame: unit starts, the main body, unit stops, and the default
// handling of errors that nothing else catches.
#pragma once

#include <exception>
#include <functional>

// Thrown to end the program normally from deep inside the body; the unit
// stops still run. Not an Exception: no handler of the system may catch it.
struct TerminateProgram {
    int ExitCode;
};

// The "Application Error" box: the error's class and message.
void ShowApplicationError(const std::exception& error);

// Runs starts, then body; an error escaping either is shown by
// ShowApplicationError and makes the exit code 1. Stops run on every way out.
int RunProgram(const std::function<void()>& starts, const std::function<void()>& body,
               const std::function<void()>& stops);
