#include "database/Sample.h"
#include "platform/presenter.h"
#include "platform/scripted.h"
#include "platformtesting/fake_clock.h"
#include "zembric/app.h"
#include "zembric/dialog.h"
#include "zembric/string_table.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace zembric;

namespace {

// A presenter driven by hand: it records what each window looks like when it is run, fires the
// dialog's timers itself and tries to close the dialog whenever it is given the chance to pump.
class HandPresenter : public Presenter {
  public:
    int runModal(CModalWindow& w) override {
        auto* dialog = dynamic_cast<CDialog*>(&w);
        templates.push_back(dialog ? dialog->templateId() : 0);
        if (!dialog || dialog->templateId() != IDD_ZEMBRIC_DIALOG) {
            w.EndDialog(IDOK);
            return IDOK;
        }
        main = &w;
        timersAtStart = w.timers();
        centred = w.centred();
        caption = w.caption().str();
        systemMenu = w.systemMenu();
        logAtStart = w.GetDlgItemText(IDC_LOG).str();
        if (beforeTimers) beforeTimers(w);
        w.SendMessage(WM_TIMER, kStartTimer, 0);
        timersAfterRun = w.timers();
        endedAfterRun = w.ended();
        logBox = w.GetDlgItemText(IDC_LOG).str();
        w.SendMessage(WM_TIMER, kCloseTimer, 0);
        timersAtEnd = w.timers();
        main = nullptr;
        return w.ended() ? w.modalResult() : -99;
    }
    int messageBox(const MessageBoxRequest& r) override {
        boxes.push_back(r.text.str());
        return IDOK;
    }
    void help(const HelpRequest&) override {}
    std::optional<std::string> chooseFile(const FileDialogRequest&) override { return std::nullopt; }
    void pump() override {
        ++pumps;
        auto* dialog = dynamic_cast<CZembricDlg*>(main);
        if (dialog && dialog->IsBusy()) {
            ++closeAttempts;
            dialog->pressButton(IDCANCEL);
            dialog->pressButton(IDOK);
            if (dialog->ended()) closedWhileBusy = true;
        }
    }
    void refresh(CModalWindow&) override { ++refreshes; }

    std::vector<unsigned> templates;
    CModalWindow* main = nullptr;
    std::map<UINT, UINT> timersAtStart, timersAfterRun, timersAtEnd;
    bool centred = false, endedAfterRun = false, closedWhileBusy = false;
    std::string caption, logAtStart, logBox;
    std::vector<std::pair<UINT, CString>> systemMenu;
    std::vector<std::string> boxes;
    int pumps = 0, refreshes = 0, closeAttempts = 0;
    std::function<void(CModalWindow&)> beforeTimers;
};

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        dir = ::testing::TempDir() + "zembric_dlg_" + std::to_string(getpid()) + "_" + name;
        mkdir(dir.c_str(), 0700);
        db = dir + "/c.db";
        log = dir + "/Zembric.log";
        korvane_db::SampleOptions o;
        o.components = 200;
        korvane_db::WriteSampleDatabase(db, o);
        settings.dbPath = db;
        settings.keepAccess = "A0&A1";
        previous = setPresenter(&hand);
        AfxRegisterResourceModule(&ZembricResources());
        AfxSetResourceHandle(&ZembricResources());
    }
    void TearDown() override {
        AfxUnregisterResourceModule(&ZembricResources());
        setPresenter(previous);
        std::remove(db.c_str());
        std::remove(log.c_str());
        rmdir(dir.c_str());
    }
    std::string fileText(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string dir, db, log;
    RunSettings settings;
    HandPresenter hand;
    Presenter* previous = nullptr;
};

TEST_F(DialogTest, VisibleDialogRunsFromItsTimerStaysOpenWhileBusyAndClosesByTimer) {
    CZembricDlg dialog(settings, log);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(dialog.HasRun());
    EXPECT_TRUE(dialog.GetResult());

    EXPECT_EQ(hand.caption, "创建8.xx版本数据库");
    EXPECT_TRUE(hand.centred);
    EXPECT_EQ(hand.logAtStart, "");
    EXPECT_EQ(hand.timersAtStart, (std::map<UINT, UINT>{{kStartTimer, 300}}))
        << "the run waits for its timer";
    ASSERT_EQ(hand.systemMenu.size(), 2u);
    EXPECT_EQ(hand.systemMenu[0].first, 0u) << "separator";
    EXPECT_EQ(hand.systemMenu[1].first, 16u);
    EXPECT_EQ(hand.systemMenu[1].second, "关于数据库信息(&A)");

    EXPECT_EQ(hand.timersAfterRun, (std::map<UINT, UINT>{{kCloseTimer, 3000}}));
    EXPECT_FALSE(hand.endedAfterRun) << "the dialog stays up until the close timer";
    EXPECT_TRUE(hand.timersAtEnd.empty());

    EXPECT_GT(hand.closeAttempts, 5);
    EXPECT_FALSE(hand.closedWhileBusy);
    EXPECT_GE(hand.refreshes, 10);
    EXPECT_FALSE(dialog.WaitCursorShown());
    EXPECT_TRUE(hand.boxes.empty());

    // The log box holds exactly what the log file got, lines joined by CR LF.
    std::string file = fileText(log);
    ASSERT_GE(file.size(), 2u);
    EXPECT_EQ(hand.logBox + "\r\n", file);
    EXPECT_EQ(hand.logBox.rfind("Start at :: ", 0), 0u);
    EXPECT_NE(hand.logBox.find("\r\n--- 处理元件\r\n"), std::string::npos);
}

TEST_F(DialogTest, AboutBoxAnswersSystemCommandsSixteenToThirtyOneOnly) {
    hand.beforeTimers = [](CModalWindow& w) {
        for (WPARAM cmd : {16u, 31u, 32u, 15u, 0xF060u})
            w.SendMessage(WM_SYSCOMMAND, cmd, 0);
    };
    CZembricDlg dialog(settings, log);
    dialog.DoModal();
    EXPECT_EQ(hand.templates, (std::vector<unsigned>{IDD_ZEMBRIC_DIALOG, IDD_ABOUTBOX, IDD_ABOUTBOX}));
}

TEST_F(DialogTest, HiddenDialogNeverShowsRunsAtOnceAndWritesLinesOut) {
    settings.visible = false;
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    CZembricDlg dialog(settings, log, out);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(hand.templates.empty()) << "no window was presented";
    EXPECT_FALSE(dialog.IsWindowVisible());
    EXPECT_FALSE(dialog.centred());
    EXPECT_TRUE(dialog.timers().empty());
    EXPECT_TRUE(dialog.GetResult());
    std::rewind(out);
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, out)) > 0)
        text.append(buf, n);
    std::fclose(out);
    std::string file = fileText(log);
    // Standard output gets the same lines as the file, ended by LF rather than CR LF.
    std::string crlf;
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    EXPECT_EQ(crlf, file);
    EXPECT_EQ(hand.pumps, 0) << "a hidden run has no window to keep alive";
}

TEST_F(DialogTest, MessageBoxesOfTheRunGoThroughThePresenter) {
    korvane::testing::FakeClock clock{0, korvane::localTimeOf(0), 0}; // the retries do not wait
    // Another program holds the write lock for the whole run.
    sqlite3* other = nullptr;
    sqlite3_open(db.c_str(), &other);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    CZembricDlg dialog(settings, log);
    dialog.DoModal();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_FALSE(dialog.GetResult());
    ASSERT_FALSE(hand.boxes.empty());
    for (const std::string& box : hand.boxes)
        EXPECT_EQ(box, "database is locked");
    EXPECT_NE(hand.logBox.find("\r\n--- 处理符号(尝试 5)\r\n"), std::string::npos);
    EXPECT_NE(hand.logBox.find("\r\n失败\r\nEnd at :: "), std::string::npos);
}

TEST_F(DialogTest, ProgramRunsVisibleUnderTheScriptedPresenterAndShowsUsageInAMessageBox) {
    const char* oldTmp = std::getenv("TMPDIR");
    std::string saved = oldTmp ? oldTmp : "";
    setenv("TMPDIR", dir.c_str(), 1);
    ScriptedPresenter scripted({});
    scripted.pressOkAtEnd = false;
    EXPECT_EQ(RunProgram({"zembric", db, "A0&A1"}, &scripted), 0);
    EXPECT_NE(fileText(log).find("完成\r\nEnd at :: "), std::string::npos);
    EXPECT_EQ(RunProgram({"zembric", db}, &scripted), 1);
    EXPECT_TRUE(scripted.messageBoxes().empty()) << "the usage box is shown before any dialog exists";
    ASSERT_EQ(hand.boxes.size(), 1u);
    EXPECT_EQ(hand.boxes[0], LoadString(IDS_USAGE));
    if (oldTmp)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

} // namespace
