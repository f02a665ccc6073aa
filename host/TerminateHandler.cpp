// The C++ runtime's handler for an exception that nothing caught (or one
// thrown through a noexcept frame). The runtime's own handler writes the
// exception's demangled type name to standard error before it aborts; the
// setup program is a windowed process without standard error, so that text
// reached no one, while the name demangler behind it was the largest single
// part of the runtime in the program. This definition takes the place of
// the runtime's and only aborts, as the runtime's did after its message.
//
// It is linked into each setup program as an object of its own (see
// nelvo_setup_executable): from a library the linker would take it too late,
// after the runtime's own definition.

#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

} // namespace __gnu_cxx
