#include "tests/fakes/FakeDesktop.h"

namespace fakes {

int FakeDesktop::MessageBoxA(platform::WindowHandle owner, const std::string& text,
                             const std::string& caption, unsigned flags) {
    Calls.push_back("MessageBoxA");
    MessageBoxes.push_back({owner, text, caption, flags});
    if (WhileBoxOpen)
        WhileBoxOpen();
    return 1; // IDOK
}

} // namespace fakes
