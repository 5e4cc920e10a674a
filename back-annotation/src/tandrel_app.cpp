#include "tandrel/tandrel_app.h"

#include "backann/action_records.h"
#include "platform/presenter.h"
#include "tandrel/annotate_dlg.h"
#include "tandrel/apply_actions.h"
#include "vostrel5/BackAnnotation.h"

#include "platform/format.h"

#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tandrel {

namespace {
constexpr unsigned OFN_HIDEREADONLY = 0x4;
}

CTandrelApp::CTandrelApp(Options options) : CWinApp("Tandrel"), options_(std::move(options)) {}

namespace {

// Whether two paths name one file: the same device and inode, or the same canonical path.
bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    std::error_code ea, eb;
    auto ca = std::filesystem::weakly_canonical(a, ea), cb = std::filesystem::weakly_canonical(b, eb);
    return !ea && !eb && ca == cb;
}

// Why the action file cannot be written before trying; empty when nothing speaks against it.
std::string ActionFileProblem(const std::string& path) {
    if (path.empty()) return "the settings name no action file";
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a plain file";
    return {};
}

std::string CannotWrite(const std::string& path, const std::string& why) {
    return "Cannot write the action file \"" + path + "\": " + why + ".";
}

} // namespace

int CTandrelApp::InitInstance() {
    m_hInstance = &TandrelResources();
    AfxRegisterResourceModule(m_hInstance);
    AfxSetResourceHandle(m_hInstance);

    std::string folder = options_.folder.empty() ? std::filesystem::current_path().string() : options_.folder;
    if (!FindLayoutSettings(folder, settings_) || settings_.version < 0) {
        AfxMessageBox(AfxLoadString(IDS_NO_INI));
        exitCode_ = 1;
        return 0;
    }

    CFileDialog chooser(true, nullptr, nullptr, OFN_HIDEREADONLY, AfxLoadString(IDS_FILE_FILTER));
    chooser.m_request.initialDir = settings_.layout_log_file_dir.c_str();
    if (chooser.DoModal() != IDOK) {
        // No log: the action file says so, and nothing else happens.
        const std::string& actionFile = settings_.tandrel_log;
        std::string problem = ActionFileProblem(actionFile);
        IO_TextStream out;
        if (problem.empty() && !out.OpenForWriting(actionFile)) problem = out.GetError();
        if (problem.empty()) {
            WriteLogFileName(out, "");
            if (!out.Close()) problem = out.GetError();
        }
        if (!problem.empty()) Fail(CannotWrite(actionFile, problem));
        return 0;
    }
    ProcessLog(chooser.GetPathName().str());
    return 0;
}

void CTandrelApp::Fail(const std::string& message) {
    AfxMessageBox(message.c_str());
    exitCode_ = 1;
}

void CTandrelApp::ProcessLog(const std::string& logPath) {
    const std::string& actionFile = settings_.tandrel_log;
    // The new action file replaces the old one: were it the log itself, the log would be lost.
    if (!actionFile.empty() && SameFile(actionFile, logPath)) {
        Fail("The action file \"" + actionFile + "\" named in the settings is the chosen change log \"" +
             logPath + "\"; nothing is done, so that the log is kept.");
        return;
    }
    if (std::string problem = ActionFileProblem(actionFile); !problem.empty()) {
        Fail(CannotWrite(actionFile, problem));
        return;
    }
    IO_TextStream out;
    try {
        // The old action file is not deleted first: the new one replaces it only once it is whole, and
        // a symbolic link in its place is followed rather than removed.
        if (!out.OpenForWriting(actionFile)) {
            Fail(CannotWrite(actionFile, out.GetError()));
            return;
        }
        // Texts that are not UTF-8 (a log name or parameters in Latin-1) are carried as the UTF-8 of
        // their Latin-1 reading: the confirmation list and the schematic program take UTF-8 only.
        WriteLogFileName(out, korvane::automation::Utf8OrLatin1(logPath));
        CBackAnnotationManager log(logPath.c_str(), 2);
        int records = 0;
        if (log.Status() != 0) {
            AfxMessageBox(log.GetLastError());
            exitCode_ = 1;
        } else {
            records = log.GetLogEntryCount();
            std::vector<CString> params;
            for (int i = 0; i < records; ++i) {
                CBackAnnotationRecord record;
                if (!log.GetLogEntry(i, record)) continue;
                record.GetParameters(params);
                std::vector<std::string> texts;
                for (size_t k = 0; k < params.size(); ++k) {
                    // No text the schematic program takes can hold a NUL byte; cutting there would
                    // apply a different change than the log records.
                    if (params[k].str().find('\0') != std::string::npos) {
                        Fail(korvane::format(
                            "The change log \"%s\" holds a NUL byte in parameter %zu of entry "
                            "%d; nothing is applied.",
                            korvane::automation::Utf8OrLatin1(logPath).c_str(), k + 1, i + 1));
                        return; // `out` abandons the unfinished action file
                    }
                    texts.push_back(korvane::automation::Utf8OrLatin1(params[k].str()));
                }
                WriteActionRecord(out, record.GetActionID(), texts);
            }
        }
        if (!out.Close()) {
            Fail(CannotWrite(actionFile, out.GetError()));
            return;
        }
        if (records == 0) {
            ::unlink(actionFile.c_str());
            return;
        }
        CAnnotateDlg dlg(actionFile);
        if (dlg.DoModal() == IDOK) ApplyActions();
        log.Remove();
    } catch (...) {
        // Ends quietly; an unfinished action file is abandoned by `out`.
        exitCode_ = 1;
    }
}

void CTandrelApp::ApplyActions() {
    std::unique_ptr<korvane::automation::Connector> own;
    korvane::automation::Connector* connector = options_.connector;
    if (!connector) {
        own = korvane::automation::sessionBusConnector(options_.callTimeout);
        connector = own.get();
    }
    std::unique_ptr<korvane::automation::Dispatch> schematic =
        connector ? connector->getActiveObject(options_.schematicId) : nullptr;
    if (!schematic) return; // not running: nothing applied, nothing said
    std::string failure;
    ApplyActionFile(*schematic, settings_.tandrel_log, &failure);
    if (!failure.empty()) Fail(failure);
}

} // namespace tandrel
