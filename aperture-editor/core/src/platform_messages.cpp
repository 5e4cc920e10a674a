#include "lumbra/platform_messages.h"

#include "platform/presenter.h"

namespace lumbra {

bool PlatformMessages::askYesNo(const std::string& text, const std::string& caption) {
    return ShowMessageBox(text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void PlatformMessages::showMessage(const std::string& text) {
    AfxMessageBox(text.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

} // namespace lumbra
