// What the editor asks and tells the user, kept small so that it can be joined to the platform's
// message boxes; tests answer the questions themselves.
#pragma once

#include "lumbra/aperture_file.h"

#include <string>
#include <vector>

namespace lumbra {

enum class Beep { Default, Question };

class EditorMessages {
  public:
    virtual ~EditorMessages() = default;
    // A Yes/No question; true for Yes.
    virtual bool askYesNo(const std::string& text, const std::string& caption) = 0;
    // An OK message.
    virtual void showMessage(const std::string& text) = 0;
    virtual void beep(Beep kind) = 0;
};

// Picks one aperture of a file that holds several; returns the 0-based row, or -1 when cancelled.
class ApertureChooser {
  public:
    virtual ~ApertureChooser() = default;
    virtual int choose(const std::vector<ApertureCatalogEntry>& catalog) = 0;
};

// Answers nothing and shows nothing: for runs without a user.
class SilentMessages : public EditorMessages {
  public:
    bool askYesNo(const std::string&, const std::string&) override { return false; }
    void showMessage(const std::string&) override {}
    void beep(Beep) override {}
};

} // namespace lumbra
