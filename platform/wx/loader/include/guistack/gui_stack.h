// The GUI stack (toolkit, GUI presenter, launcher) loaded on demand: a program links only this loader,
// so runs that never show a window never map the toolkit's libraries. No toolkit header here.
#pragma once

#include "platform/presenter.h"

#include <string>

namespace korvane::gui {

// True when the environment names a display to connect to (X11 or Wayland).
bool displayNamed();

// Opens a module of the GUI stack by file name: from the library folder beside the program's folder
// (bin/../lib) first, then the library search path. Null with the loader's reason in `error`. A module
// stays loaded to the end of the process: the toolkit cannot be unloaded safely.
void* openModule(const char* fileName, std::string& error);

// The toolkit and the GUI presenter for one program run.
class Session {
  public:
    Session() = default;
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Loads the presenter module and starts the toolkit; false with reason() when no display is named,
    // the GUI stack is not built or the display cannot be opened.
    bool open(const char* programName);
    // Ends the presenter and the toolkit (the destructor does it too).
    void close();
    // The GUI presenter while open, else null.
    Presenter* presenter() const { return presenter_; }
    const std::string& reason() const { return reason_; }

  private:
    Presenter* presenter_ = nullptr;
    void (*close_)(Presenter*) = nullptr;
    std::string reason_;
};

} // namespace korvane::gui

// The entry points of the presenter module, resolved by name by Session.
extern "C" {
// Starts the toolkit for a program without an application class of its own and makes a GUI presenter;
// null when no display can be had.
using korvane_gui_open_fn = Presenter* (*)(const char* programName);
// Deletes the presenter and stops the toolkit.
using korvane_gui_close_fn = void (*)(Presenter*);
}
