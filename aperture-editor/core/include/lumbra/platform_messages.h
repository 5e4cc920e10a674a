// The editor's questions and messages shown through the platform's message boxes.
#pragma once

#include "lumbra/messages.h"

namespace lumbra {

class PlatformMessages : public EditorMessages {
  public:
    bool askYesNo(const std::string& text, const std::string& caption) override;
    void showMessage(const std::string& text) override;
    // The platform has no sound yet; a presenter that gains one is the place to ring it.
    void beep(Beep) override {}
};

} // namespace lumbra
