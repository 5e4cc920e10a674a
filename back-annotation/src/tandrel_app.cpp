#include "tandrel/tandrel_app.h"

#include "platform/presenter.h"
#include "tandrel/action_records.h"
#include "tandrel/annotate_dlg.h"
#include "tandrel/apply_actions.h"
#include "vostrel5/BackAnnotation.h"

#include <cstdio>
#include <filesystem>

namespace tandrel {

namespace {
constexpr unsigned OFN_HIDEREADONLY = 0x4;
}

CTandrelApp::CTandrelApp(Options options) : CWinApp("Tandrel"), options_(std::move(options)) {}

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
        IO_TextStream out;
        if (out.OpenForWriting(settings_.tandrel_log)) {
            WriteLogFileName(out, "");
            if (!out.Close()) exitCode_ = 1;
        } else {
            exitCode_ = 1;
        }
        return 0;
    }
    ProcessLog(chooser.GetPathName().str());
    return 0;
}

void CTandrelApp::ProcessLog(const std::string& logPath) {
    const std::string& actionFile = settings_.tandrel_log;
    IO_TextStream out;
    try {
        std::remove(actionFile.c_str());
        if (!out.OpenForWriting(actionFile)) {
            exitCode_ = 1;
            return;
        }
        WriteLogFileName(out, logPath);
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
                std::vector<std::string> texts(params.begin(), params.end());
                WriteActionRecord(out, record.GetActionID(), texts);
            }
        }
        if (!out.Close()) {
            exitCode_ = 1;
            return;
        }
        if (records == 0) {
            std::remove(actionFile.c_str());
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
        own = korvane::automation::sessionBusConnector();
        connector = own.get();
    }
    std::unique_ptr<korvane::automation::Dispatch> schematic =
        connector ? connector->getActiveObject(options_.schematicId) : nullptr;
    if (!schematic) return; // not running: nothing applied, nothing said
    ApplyActionFile(*schematic, settings_.tandrel_log);
}

} // namespace tandrel
