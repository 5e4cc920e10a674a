#include "zembric/app.h"

#include "platform/presenter.h"
#include "zembric/command_line.h"
#include "zembric/dialog.h"
#include "zembric/log.h"
#include "zembric/string_table.h"

#include <climits>
#include <unistd.h>

namespace zembric {

std::string ModulePath(const std::string& fallback) {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return fallback;
    return std::string(buf, static_cast<size_t>(n));
}

std::string HelpFilePath(const std::string& modulePath) {
    return ProgramFolder(modulePath) + "KORVANE.HLP";
}

namespace {
// The program's resources are current for as long as it runs.
class ResourceScope {
  public:
    ResourceScope() : previous_(AfxGetResourceHandle()) {
        AfxRegisterResourceModule(&ZembricResources());
        AfxSetResourceHandle(&ZembricResources());
    }
    ~ResourceScope() {
        AfxSetResourceHandle(previous_);
        AfxUnregisterResourceModule(&ZembricResources());
    }
    ResourceScope(const ResourceScope&) = delete;
    ResourceScope& operator=(const ResourceScope&) = delete;

  private:
    HINSTANCE previous_;
};
} // namespace

int RunProgram(const std::vector<std::string>& args, Presenter* visiblePresenter) {
    ResourceScope resources;
    RunSettings settings;
    if (!ParseCommandLine(args, settings)) {
        AfxMessageBox(LoadString(IDS_USAGE).c_str());
        return 1;
    }
    std::string module = ModulePath(args.empty() ? std::string() : args[0]);
    CZembricDlg dialog(settings, LogFilePath(ProgramFolder(module)));
    Presenter* previous = nullptr;
    bool swapped = settings.visible && visiblePresenter;
    if (swapped) previous = setPresenter(visiblePresenter);
    dialog.DoModal();
    if (swapped) setPresenter(previous);
    return dialog.HasRun() && dialog.GetResult() ? 0 : 1;
}

} // namespace zembric
