#include "platform/scripted.h"

#include "platform/format.h"
#include "platform/line_reader.h"
#include "platform/mainwindow.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

bool parseInt(const std::string& s, int& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0' || v < -2147483647L || v > 2147483647L) return false;
    out = static_cast<int>(v);
    return true;
}

// "[P:]ID" into page and id.
bool parseTarget(const std::string& s, ScriptStep& step) {
    size_t colon = s.find(':');
    if (colon == std::string::npos) return parseInt(s, step.id);
    return parseInt(s.substr(0, colon), step.page) && step.page >= 1 &&
           parseInt(s.substr(colon + 1), step.id);
}

// "X,Y" into two integers.
bool parsePair(const std::string& s, int& a, int& b) {
    size_t comma = s.find(',');
    return comma != std::string::npos && parseInt(s.substr(0, comma), a) && parseInt(s.substr(comma + 1), b);
}

bool parseKey(std::string keys, unsigned& key, unsigned& modifiers) {
    std::transform(keys.begin(), keys.end(), keys.begin(), [](unsigned char c) { return std::tolower(c); });
    modifiers = 0;
    for (;;) {
        size_t plus = keys.find('+');
        if (plus == std::string::npos || plus + 1 == keys.size()) break;
        std::string m = keys.substr(0, plus);
        if (m == "ctrl")
            modifiers |= kAccelCtrl;
        else if (m == "alt")
            modifiers |= kAccelAlt;
        else if (m == "shift")
            modifiers |= kAccelShift;
        else
            return false;
        keys = keys.substr(plus + 1);
    }
    if (keys.size() == 1 && std::isalpha(static_cast<unsigned char>(keys[0]))) {
        key = VK_A + static_cast<unsigned>(keys[0] - 'a');
        return true;
    }
    if (keys.size() == 1 && std::isdigit(static_cast<unsigned char>(keys[0]))) {
        key = VK_0 + static_cast<unsigned>(keys[0] - '0');
        return true;
    }
    static const std::pair<const char*, unsigned> named[] = {
        {"escape", VK_ESCAPE}, {"esc", VK_ESCAPE},    {"back", VK_BACK},     {"backspace", VK_BACK},
        {"insert", VK_INSERT}, {"delete", VK_DELETE}, {"return", VK_RETURN}, {"enter", VK_RETURN},
        {"space", VK_SPACE},   {"tab", VK_TAB},       {"left", VK_LEFT},     {"right", VK_RIGHT},
        {"up", VK_UP},         {"down", VK_DOWN},     {"home", VK_HOME},     {"end", VK_END},
    };
    for (const auto& [name, code] : named)
        if (keys == name) {
            key = code;
            return true;
        }
    int f = 0;
    if (keys.size() >= 2 && keys[0] == 'f' && parseInt(keys.substr(1), f) && f >= 1 && f <= 12) {
        key = VK_F1 + static_cast<unsigned>(f - 1);
        return true;
    }
    return false;
}

} // namespace

std::optional<ScriptStep> parseScriptStep(const std::string& verb, const std::string& arg,
                                          std::string& error) {
    ScriptStep step;
    step.source = arg.empty() ? verb : verb + " " + arg;
    using K = ScriptStep::Kind;
    auto bad = [&](const char* what) {
        error = korvane::format("step '%s': %s", korvane::clipForMessage(step.source, 60).c_str(), what);
        return std::nullopt;
    };
    if (verb == "set" || verb == "select" || verb == "dblclick") {
        size_t eq = arg.find('=');
        if (eq == std::string::npos) return bad("expected [P:]ID=VALUE");
        if (!parseTarget(arg.substr(0, eq), step))
            return bad("expected a control ID, optionally after a page and ':'");
        if (verb == "set") {
            step.kind = K::Set;
            step.text = arg.substr(eq + 1);
        } else {
            step.kind = verb == "select" ? K::Select : K::DoubleClick;
            if (!parseInt(arg.substr(eq + 1), step.index) || step.index < 0)
                return bad("expected an item index from 0");
        }
        return step;
    }
    if (verb == "click" && arg.find(',') == std::string::npos) {
        step.kind = K::Click;
        if (!parseTarget(arg, step)) return bad("expected [P:]ID");
        return step;
    }
    if (verb == "cell") {
        step.kind = K::Cell;
        size_t eq = arg.find('=');
        size_t colon = arg.rfind(':', eq);
        size_t comma = arg.find(',', colon == std::string::npos ? 0 : colon);
        if (eq == std::string::npos || colon == std::string::npos || comma == std::string::npos || comma > eq)
            return bad("expected [P:]ID:ROW,COL=TEXT");
        if (!parseTarget(arg.substr(0, colon), step) ||
            !parseInt(arg.substr(colon + 1, comma - colon - 1), step.row) ||
            !parseInt(arg.substr(comma + 1, eq - comma - 1), step.col) || step.row < 0 || step.col < 0)
            return bad("expected [P:]ID:ROW,COL=TEXT");
        step.text = arg.substr(eq + 1);
        return step;
    }
    if (verb == "answer") {
        step.kind = K::Answer;
        std::string a = arg;
        std::transform(a.begin(), a.end(), a.begin(), [](unsigned char c) { return std::tolower(c); });
        if (a != "yes" && a != "no") return bad("expected yes or no");
        step.yes = a == "yes";
        return step;
    }
    if (verb == "file") {
        step.kind = K::ChooseFile;
        step.text = arg;
        return step;
    }
    if (verb == "command") {
        step.kind = K::Command;
        if (!parseInt(arg, step.id)) return bad("expected a command ID");
        return step;
    }
    if (verb == "key") {
        step.kind = K::Key;
        if (!parseKey(arg, step.key, step.modifiers))
            return bad("expected [ctrl+][alt+][shift+] and a letter, digit or key name");
        return step;
    }
    static const std::pair<const char*, unsigned> mouse[] = {
        {"move", WM_MOUSEMOVE}, {"down", WM_LBUTTONDOWN},
        {"up", WM_LBUTTONUP},   {"rdown", WM_RBUTTONDOWN},
        {"rup", WM_RBUTTONUP},  {"click", 0u},
        {"rclick", 0u},
    };
    for (const auto& [name, message] : mouse) {
        if (verb != name) continue;
        step.kind = K::Mouse;
        step.message = message;
        step.right = verb == "rclick";
        if (!parsePair(arg, step.x, step.y)) return bad("expected X,Y");
        return step;
    }
    if (verb == "wheel") {
        step.kind = K::Wheel;
        size_t sp = arg.find(' ');
        if (sp == std::string::npos || !parseInt(arg.substr(0, sp), step.delta) ||
            !parsePair(arg.substr(arg.find_first_not_of(' ', sp)), step.x, step.y))
            return bad("expected DELTA X,Y");
        return step;
    }
    if (verb == "size") {
        step.kind = K::Resize;
        if (!parsePair(arg, step.x, step.y) || step.x < 0 || step.y < 0 || step.x > 16384 || step.y > 16384)
            return bad("expected W,H from 0 to 16384");
        return step;
    }
    if (!arg.empty()) return bad("takes no argument");
    if (verb == "close")
        step.kind = K::Close;
    else if (verb == "ok")
        step.kind = K::Ok;
    else if (verb == "cancel")
        step.kind = K::Cancel;
    else if (verb == "help-button")
        step.kind = K::HelpButton;
    else
        return bad("unknown step");
    return step;
}

bool readScriptFile(const std::string& path, std::vector<ScriptStep>& steps, std::string& error) {
    korvane::LineReader in;
    if (!in.open(path, kScriptLimits)) {
        error = in.error();
        return false;
    }
    std::string line;
    korvane::LineReader::Result got;
    while ((got = in.next(line)) == korvane::LineReader::Result::Line) {
        size_t b = line.find_first_not_of(" \t");
        if (b == std::string::npos || line[b] == '#') continue;
        line = line.substr(b);
        size_t sp = line.find_first_of(" \t");
        std::string verb = line.substr(0, sp);
        std::string arg;
        if (sp != std::string::npos) {
            size_t a = line.find_first_not_of(" \t", sp);
            if (a != std::string::npos) arg = line.substr(a);
        }
        auto step = parseScriptStep(verb, arg, error);
        if (!step) {
            error = korvane::format("%s line %d: %s", path.c_str(), in.lineNumber(), error.c_str());
            return false;
        }
        steps.push_back(*step);
    }
    if (got == korvane::LineReader::Result::Error) {
        error = in.error();
        return false;
    }
    return true;
}

ScriptedPresenter::ScriptedPresenter(std::vector<ScriptStep> steps) {
    // Answers are queued in order up front: a question may come before the step that lists its answer
    // is reached (the questions of OK come after every step).
    for (auto& s : steps) {
        if (s.kind == ScriptStep::Kind::Answer)
            answers_.push_back(s.yes);
        else
            steps_.push_back(std::move(s));
    }
}

int ScriptedPresenter::messageBox(const MessageBoxRequest& request) {
    int answer = IDOK;
    UINT buttons = request.type & 0xF;
    if (buttons == MB_YESNO) {
        bool yes = false;
        if (!answers_.empty()) {
            yes = answers_.front();
            answers_.pop_front();
        }
        answer = yes ? IDYES : IDNO;
    } else if (buttons == MB_OKCANCEL) {
        answer = IDOK;
    }
    boxes_.push_back({request, answer});
    if (onMessageBox) onMessageBox(boxes_.back());
    return answer;
}

void ScriptedPresenter::help(const HelpRequest& request) {
    helps_.push_back(request);
    if (onHelp) onHelp(request);
}

std::optional<std::string> ScriptedPresenter::chooseFile(const FileDialogRequest&) {
    if (!steps_.empty() && steps_.front().kind == ScriptStep::Kind::ChooseFile) {
        std::string path = steps_.front().text;
        steps_.pop_front();
        if (path.empty()) return std::nullopt;
        return path;
    }
    return std::nullopt;
}

void ScriptedPresenter::fireTimers(CModalWindow& window) {
    // Virtual time: timers fire in order of their due time, without waiting.
    std::map<UINT, unsigned long long> due;
    unsigned long long now = 0;
    for (int tick = 0; tick < maxTimerTicks && !window.ended() && !window.timers().empty(); ++tick) {
        for (const auto& [id, ms] : window.timers())
            if (!due.count(id)) due[id] = now + std::max(1u, ms);
        for (auto it = due.begin(); it != due.end();)
            it = window.timers().count(it->first) ? std::next(it) : due.erase(it);
        auto next =
            std::min_element(due.begin(), due.end(), [](auto& a, auto& b) { return a.second < b.second; });
        now = next->second;
        UINT id = next->first;
        due.erase(next);
        window.SendMessage(WM_TIMER, id, 0);
    }
}

bool ScriptedPresenter::apply(CModalWindow& window, const ScriptStep& step, std::string& why) {
    using K = ScriptStep::Kind;
    switch (step.kind) {
    case K::Ok:
        window.pressButton(IDOK);
        return true;
    case K::Cancel:
        window.pressButton(IDCANCEL);
        return true;
    case K::HelpButton:
        if (!window.GetDlgItem(ID_HELP)) {
            why = "the window has no Help button";
            return false;
        }
        window.pressButton(ID_HELP);
        return true;
    case K::ChooseFile:
        why = "no file chooser is open";
        return false;
    case K::Answer:
        return true;
    case K::Command:
    case K::Key:
    case K::Mouse:
    case K::Wheel:
    case K::Resize:
    case K::Close:
        why = korvane::format("the step is for the main window, but the window \"%s\" is open",
                              window.caption().GetString());
        return false;
    default:
        break;
    }
    // Steps that address a control: on a sheet, a person first brings the page to the front.
    CWnd* container = &window;
    if (auto* sheet = dynamic_cast<CPropertySheet*>(&window)) {
        if (step.page > sheet->GetPageCount()) {
            why = korvane::format("the window has no page %d", step.page);
            return false;
        }
        if (!sheet->SetActivePage(step.page - 1)) {
            why = korvane::format("page %d cannot be brought to the front", step.page);
            return false;
        }
        container = sheet->GetActivePage();
    } else if (step.page != 1) {
        why = "the window has only page 1";
        return false;
    }
    CWnd* c = container->GetDlgItem(step.id);
    if (!c) {
        why = korvane::format("there is no control %d on page %d", step.id, step.page);
        return false;
    }
    if (!c->IsWindowVisible()) {
        why = korvane::format("control %d is hidden", step.id);
        return false;
    }
    if (!c->IsWindowEnabled()) {
        why = korvane::format("control %d is disabled", step.id);
        return false;
    }
    switch (step.kind) {
    case K::Set: {
        if (c->kind() != ControlKind::Edit) {
            why = korvane::format("control %d is not a value box", step.id);
            return false;
        }
        c->SetFocus();
        EditVerdict v = c->userEdit(step.text.c_str());
        if (!v.accepted)
            why = korvane::format("control %d refused \"%s\": %s", step.id,
                                  korvane::clipForMessage(step.text).c_str(), v.reason.c_str());
        return v.accepted;
    }
    case K::Click:
        if (!c->userClick()) {
            why = korvane::format("control %d is not a button", step.id);
            return false;
        }
        return true;
    case K::DoubleClick:
        if (!c->userDoubleClick(step.index)) {
            why = korvane::format("control %d is not a list or has no item %d", step.id, step.index);
            return false;
        }
        return true;
    case K::Select:
        if (c->kind() != ControlKind::ComboBox && c->kind() != ControlKind::ListBox &&
            c->kind() != ControlKind::ListControl) {
            why = korvane::format("control %d is not a combo box or list", step.id);
            return false;
        }
        if (!c->userSelect(step.index)) {
            why = korvane::format("control %d has no item %d", step.id, step.index);
            return false;
        }
        return true;
    case K::Cell: {
        if (c->kind() != ControlKind::ListControl) {
            why = korvane::format("control %d is not a list", step.id);
            return false;
        }
        EditVerdict v = c->userEditCell(step.row, step.col, step.text.c_str());
        if (!v.accepted)
            why = korvane::format("control %d cell %d,%d refused \"%s\": %s", step.id, step.row, step.col,
                                  korvane::clipForMessage(step.text).c_str(), v.reason.c_str());
        return v.accepted;
    }
    default:
        return true;
    }
}

int ScriptedPresenter::runModal(CModalWindow& window) {
    fireTimers(window);
    bool pressedOk = false;
    while (!window.ended() && !steps_.empty()) {
        ScriptStep step = steps_.front();
        steps_.pop_front();
        std::string why;
        if (!apply(window, step, why)) {
            refusal_ = korvane::format("step '%s' refused: %s",
                                       korvane::clipForMessage(step.source, 60).c_str(), why.c_str());
            window.EndDialog(IDCANCEL);
            break;
        }
        if (step.kind == ScriptStep::Kind::Ok) pressedOk = true;
        if (afterStep) afterStep(window, step);
        fireTimers(window);
    }
    if (!window.ended() && pressOkAtEnd && (pressOkAtEndAfterOk || !pressedOk)) {
        window.pressButton(IDOK);
        fireTimers(window);
    }
    // Nobody is left to act: a window still open (a declined question kept it) is cancelled.
    if (!window.ended()) window.EndDialog(IDCANCEL);
    return window.modalResult();
}

bool ScriptedPresenter::applyToFrame(CFrameWnd& frame, const ScriptStep& step, std::string& why) {
    using K = ScriptStep::Kind;
    CCanvasWnd& canvas = frame.canvas();
    switch (step.kind) {
    case K::Command:
        if (!frame.queryCommand(step.id).enabled) {
            why = korvane::format("command %d is disabled", step.id);
            return false;
        }
        frame.executeCommand(step.id);
        return true;
    case K::Key:
        frame.userKey(step.key, step.modifiers);
        return true;
    case K::Mouse: {
        if (step.x < 0 || step.y < 0 || step.x >= canvas.width() || step.y >= canvas.height()) {
            why = korvane::format("pixel %d,%d is outside the %dx%d canvas", step.x, step.y, canvas.width(),
                                  canvas.height());
            return false;
        }
        if (step.message != 0) {
            canvas.mouseInput(step.message, step.x, step.y);
            return true;
        }
        // A click: the pointer comes to the pixel first, as a person's would.
        canvas.mouseInput(WM_MOUSEMOVE, step.x, step.y);
        canvas.mouseInput(step.right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, step.x, step.y);
        canvas.mouseInput(step.right ? WM_RBUTTONUP : WM_LBUTTONUP, step.x, step.y);
        return true;
    }
    case K::Wheel:
        canvas.wheelInput(step.delta, step.x, step.y);
        return true;
    case K::Resize:
        canvas.resize(step.x, step.y);
        return true;
    case K::Close:
        frame.SendMessage(WM_CLOSE);
        return true;
    case K::Answer:
        return true;
    case K::Set:
    case K::Click: {
        CWnd* c = frame.findBarControl(step.id);
        if (!c) {
            why = korvane::format("no dialog is open and no bar has control %d", step.id);
            return false;
        }
        if (!c->IsWindowVisible() || !c->GetParent()->IsWindowVisible()) {
            why = korvane::format("control %d is hidden", step.id);
            return false;
        }
        if (!c->IsWindowEnabled()) {
            why = korvane::format("control %d is disabled", step.id);
            return false;
        }
        if (step.kind == K::Click) {
            if (!c->userClick()) {
                why = korvane::format("control %d is not a button", step.id);
                return false;
            }
            return true;
        }
        if (c->kind() != ControlKind::Edit) {
            why = korvane::format("control %d is not an edit field", step.id);
            return false;
        }
        EditVerdict v = c->userEdit(step.text.c_str());
        if (!v.accepted)
            why = korvane::format("control %d refused \"%s\": %s", step.id, step.text.c_str(),
                                  v.reason.c_str());
        return v.accepted;
    }
    default:
        why = "no dialog is open";
        return false;
    }
}

int ScriptedPresenter::runMainWindow(CFrameWnd& frame) {
    frame.canvas().paint();
    for (long n = 0; frame.OnIdle(n) && n < 16; ++n) {
    }
    while (!frame.quitPosted() && !steps_.empty()) {
        ScriptStep step = steps_.front();
        steps_.pop_front();
        std::string why;
        if (!applyToFrame(frame, step, why)) {
            refusal_ = korvane::format("step '%s' refused: %s", step.source.c_str(), why.c_str());
            break;
        }
        if (refusal_) break; // a dialog the step opened refused one of its own steps
        frame.canvas().paint();
        for (long n = 0; !frame.quitPosted() && frame.OnIdle(n) && n < 16; ++n) {
        }
    }
    return frame.quitPosted() ? frame.exitCode() : 0;
}
