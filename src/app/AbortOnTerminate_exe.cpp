// Linked into the shipped programs only (plumvane_shipped_code in
// cmake/Plumvane.cmake). Their code throws nothing, so std::terminate can
// only come from the runtime itself (memory exhausted). The runtime's default
// handler prints the exception's demangled type, which links the demangler
// and the printf engine into every executable for a message a window program
// never shows. This definition takes the place of the
// runtime's own, which std::terminate and std::set_terminate name directly;
// the program ends as any unhandled failure ends it, with abort.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler();
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
