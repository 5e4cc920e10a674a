// The scripted presenter: replays a list of user steps on the modal window that is open, answers
// questions from a queue, and records every message box and help request. Used by the host's `run`
// command, by the programs' scripted modes and by tests.
#pragma once

#include "platform/line_reader.h"
#include "platform/presenter.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A step is a short line; a script of a million bytes already holds tens of thousands of steps.
inline constexpr korvane::LineLimits kScriptLimits{4096, 1u << 20, "script"};
class CFrameWnd;

struct ScriptStep {
    enum class Kind {
        Set,
        Click,
        Select,
        Cell,
        Answer,
        Ok,
        Cancel,
        HelpButton,
        ChooseFile,
        DoubleClick,
        // Main-window steps: a menu command, a key, the mouse on the canvas, a resize, closing.
        Command,
        Key,
        Mouse,
        Wheel,
        Resize,
        Close,
    };
    Kind kind = Kind::Ok;
    int page = 1; // from 1; dialogs have only page 1
    int id = 0;
    int row = 0, col = 0;
    int index = 0;
    std::string text; // typed value, cell text, chosen file ("" = cancel the chooser)
    bool yes = false;
    unsigned message = 0;   // Mouse: WM_MOUSEMOVE, WM_LBUTTONDOWN, ...; 0 for a click (down and up)
    unsigned key = 0;       // Key: virtual key
    unsigned modifiers = 0; // Key: kAccel* flags
    int x = 0, y = 0;       // Mouse and Wheel: canvas pixel; Resize: width and height
    int delta = 0;          // Wheel: rotation (120 a notch)
    bool right = false;     // Mouse click with the right button
    std::string source;     // the step as written, for messages
};

// Parses one step: verb ("set", "click", "select", "cell", "answer", "ok", "cancel", "help-button",
// "file") and its argument. Returns nothing and sets `error` when the step is malformed.
// "dblclick ID=INDEX" double-clicks an item of a list. Main-window verbs: "command ID", "key
// [ctrl+][alt+][shift+]NAME" (a letter, digit, escape, back, insert, delete, return, space, tab, f1..f12,
// left, right, up, down), "move X,Y", "down X,Y", "up X,Y", "rdown X,Y", "rup X,Y", "click X,Y" (down and
// up), "rclick X,Y", "wheel DELTA X,Y", "size W,H" and "close".
std::optional<ScriptStep> parseScriptStep(const std::string& verb, const std::string& argument,
                                          std::string& error);

// Reads steps from a script file, one a line ("set 2:9225=0.5", "click 1170", "answer yes"); blank lines
// and lines starting with '#' are skipped. On a malformed line `error` names the file and line. A folder,
// a line over kScriptLimits.maxLine characters or a file over kScriptLimits.maxBytes is refused.
bool readScriptFile(const std::string& path, std::vector<ScriptStep>& steps, std::string& error);

struct RecordedMessageBox {
    MessageBoxRequest request;
    int answer = 0;
};

class ScriptedPresenter : public Presenter {
  public:
    explicit ScriptedPresenter(std::vector<ScriptStep> steps);

    int runModal(CModalWindow& window) override;
    // Replays the main-window steps (a dialog that a step opens takes the steps after it until it
    // ends), giving the frame its idle time after each step, until the frame quits or the steps run
    // out. A refused step stops the run (see refusal()); the frame is then left as it is.
    int runMainWindow(CFrameWnd& frame) override;
    int messageBox(const MessageBoxRequest& request) override;
    void help(const HelpRequest& request) override;
    std::optional<std::string> chooseFile(const FileDialogRequest& request) override;

    // Called as each message box appears, with the answer given.
    std::function<void(const RecordedMessageBox&)> onMessageBox;
    std::function<void(const HelpRequest&)> onHelp;
    // Called after each step that was carried out, with the window as it stands (tests inspect it).
    std::function<void(CModalWindow&, const ScriptStep&)> afterStep;

    const std::vector<RecordedMessageBox>& messageBoxes() const { return boxes_; }
    const std::vector<HelpRequest>& helpRequests() const { return helps_; }
    // Set when a step was refused: which step and why. The window was then cancelled.
    const std::optional<std::string>& refusal() const { return refusal_; }
    // Whether OK is pressed when the steps run out and the window is still open (the host's rule).
    bool pressOkAtEnd = true;
    // Whether that OK is pressed even when the steps pressed OK on the window themselves. The host
    // turns it off, so that a question declined after the script's OK is not asked a second time;
    // test steps written as "answer no, answer yes, ok" rely on the second OK.
    bool pressOkAtEndAfterOk = true;
    // Upper bound on timer deliveries in one modal run, so that a periodic timer cannot spin forever.
    int maxTimerTicks = 100000;

  private:
    bool apply(CModalWindow& window, const ScriptStep& step, std::string& why);
    bool applyToFrame(CFrameWnd& frame, const ScriptStep& step, std::string& why);
    void fireTimers(CModalWindow& window);

    std::deque<ScriptStep> steps_;
    std::deque<bool> answers_;
    std::vector<RecordedMessageBox> boxes_;
    std::vector<HelpRequest> helps_;
    std::optional<std::string> refusal_;
};
