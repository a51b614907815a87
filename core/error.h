#pragma once

#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>

namespace core {

// The one exception type of core. Its message is what the user sees in the error box,
// so it is always a complete sentence of the program's own wording.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// Runs the body of a program's main. Whatever it lets escape is told on standard error after
// the program's name and ends the program with status 1, never with an abort.
template <class Body>
int runMain(const char* program, Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: not enough memory\n", program);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", program, error.what());
    } catch (...) {
        std::fprintf(stderr, "%s: an unknown error\n", program);
    }
    return 1;
}

} // namespace core
