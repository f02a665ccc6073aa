// How the C++ runtime reports its failures in the setup program: the
// handler for an exception that nothing caught, and the functions through
// which the standard containers, strings and locks raise theirs (a size
// beyond the maximum, an index out of range, a lock that cannot be taken).
//
// The runtime's own versions brought with them, for every program that uses
// a string or a container, a second whole string implementation (the one
// the standard exception classes keep their messages in), the error
// categories and, behind the uncaught-exception handler, the name
// demangler: a sixth of the setup program's code, for paths that never run
// in a sound program. These definitions take their place:
//   - an exception that nothing caught ends the process with abort, as the
//     runtime's handler did after writing the exception's type name to a
//     standard error that a windowed program does not have;
//   - the failures whose classes carry no text stay what they were
//     (std::bad_alloc, std::bad_array_new_length, std::bad_cast, ...);
//   - every other failure is a std::exception whose what() is the text the
//     runtime's exception would carry, so that the frames that catch
//     std::exception (the native boundary of the scripts, the install
//     worker's report) behave as before. Nothing in the program catches the
//     narrower types (std::length_error, std::out_of_range, std::system_error).
//
// Linked into each setup program as an object of its own (see
// nelvo_setup_executable): from a library the linker would come to it only
// after it had taken the runtime's definitions.

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <typeinfo>

namespace {

// A failure with its text, formatted into the object itself: the text must
// survive the frame that raised it, and raising must not allocate.
class RuntimeFailure final : public std::exception {
public:
    explicit RuntimeFailure(const char* text) noexcept { append(text, std::strlen(text)); }

    // The runtime's formats use %s, %zu and %% only.
    RuntimeFailure(const char* format, va_list args) noexcept {
        for (const char* p = format; *p != '\0'; ++p) {
            if (p[0] == '%' && p[1] == 's') {
                const char* s = va_arg(args, const char*);
                append(s, std::strlen(s));
                ++p;
            } else if (p[0] == '%' && p[1] == 'z' && p[2] == 'u') {
                appendNumber(va_arg(args, size_t));
                p += 2;
            } else if (p[0] == '%' && p[1] == '%') {
                append("%", 1);
                ++p;
            } else {
                append(p, 1);
            }
        }
    }

    const char* what() const noexcept override { return text_; }

private:
    void append(const char* s, size_t n) noexcept {
        const size_t room = sizeof(text_) - 1 - length_;
        if (n > room) n = room;
        std::memcpy(text_ + length_, s, n);
        length_ += n;
        text_[length_] = '\0';
    }
    void appendNumber(size_t value) noexcept {
        char digits[24];
        size_t n = 0;
        do {
            digits[sizeof(digits) - 1 - n++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        append(digits + sizeof(digits) - n, n);
    }

    char text_[160] = {};
    size_t length_ = 0;
};

} // namespace

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

} // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_logic_error(const char* text) { throw RuntimeFailure(text); }
void __throw_domain_error(const char* text) { throw RuntimeFailure(text); }
void __throw_invalid_argument(const char* text) { throw RuntimeFailure(text); }
void __throw_length_error(const char* text) { throw RuntimeFailure(text); }
void __throw_out_of_range(const char* text) { throw RuntimeFailure(text); }
void __throw_runtime_error(const char* text) { throw RuntimeFailure(text); }
void __throw_range_error(const char* text) { throw RuntimeFailure(text); }
void __throw_overflow_error(const char* text) { throw RuntimeFailure(text); }
void __throw_underflow_error(const char* text) { throw RuntimeFailure(text); }

void __throw_out_of_range_fmt(const char* format, ...) {
    va_list args;
    va_start(args, format);
    RuntimeFailure failure(format, args);
    va_end(args);
    throw failure;
}

// The text of the generic error category, which is the C library's.
void __throw_system_error(int code) { throw RuntimeFailure(std::strerror(code)); }

} // namespace std
