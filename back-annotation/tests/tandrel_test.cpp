#include "backann/action_records.h"
#include "tandrel/annotate_dlg.h"
#include "tandrel/layout_settings.h"
#include "tandrel/tandrel_app.h"

#include "fake_schematic.h"
#include "platform/scripted.h"
#include "registry/registry.h"
#include "vostrel5/change_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace tandrel {
namespace {

namespace fs = std::filesystem;
using korvane::registry::Hive;
using korvane::registry::RegKey;

// A folder for ini files, logs and the action file, with both registry hives inside it.
class TandrelFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tandrel-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "user");
        fs::create_directories(dir_ / "machine");
        ::setenv("XDG_CONFIG_HOME", (dir_ / "user").c_str(), 1);
        ::setenv("XDG_CONFIG_DIRS", (dir_ / "machine").c_str(), 1);
    }
    void TearDown() override {
        setPresenter(nullptr);
        fs::remove_all(dir_);
    }
    std::string Write(const std::string& name, const std::string& text) {
        std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    std::string Ini(const std::string& extra = "") {
        return "Layout\r\n{\r\n  version r 7\r\n  layout_exe A \"/opt/tressil/tressil\"\r\n"
               "  layout_log_file_dir A \"" +
               (dir_ / "logs").string() + "\"\r\n  tandrel_log A \"" + ActionFile() + "\"\r\n" + extra +
               "}\r\n";
    }
    std::string ActionFile() const { return (dir_ / "tandrel.act").string(); }
    void SetValue(Hive hive, const std::string& name, const std::string& value) {
        RegKey key;
        ASSERT_TRUE(key.create(hive, "Software\\Tressil\\Paths"));
        ASSERT_TRUE(key.setString(name, value));
    }
    std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
    fs::path dir_;
};

TEST_F(TandrelFolder, TheIniKeysAreTakenAndFoldersEndWithASeparator) {
    LayoutSettings s;
    ASSERT_TRUE(ParseLayoutIni("Layout {\n version i 6\n layout_exe A \"C:\\\\t\\\\t.exe\"\n"
                               " layout_export_dir A \"C:\\\\exp\"\n layout_log_file_dir A \"/logs\"\n"
                               " layout_filter A \"*.pcb\"\n layout_class A \"TressilMain\"\n"
                               " tandrel_log A \"/tmp/a.act\"\n layout_index i 3\n unknown i 5\n}",
                               s));
    EXPECT_EQ(s.version, 6);
    EXPECT_EQ(s.layout_exe, "C:\\t\\t.exe");
    EXPECT_EQ(s.layout_export_dir, "C:\\exp\\");
    EXPECT_EQ(s.layout_log_file_dir, "/logs/");
    EXPECT_EQ(s.layout_filter, "*.pcb");
    EXPECT_EQ(s.layout_class, "TressilMain");
    EXPECT_EQ(s.tandrel_log, "/tmp/a.act");
    EXPECT_EQ(s.layout_index, 3);
}

struct IniCase {
    const char* label;
    const char* text;
};

class UnreadableIni : public ::testing::TestWithParam<IniCase> {};

TEST_P(UnreadableIni, IsNotTaken) {
    LayoutSettings s;
    s.layout_exe = "left over";
    EXPECT_FALSE(ParseLayoutIni(GetParam().text, s));
    EXPECT_NE(s.layout_exe, "left over") << "the settings are cleared first";
}

INSTANTIATE_TEST_SUITE_P(Cases, UnreadableIni,
                         ::testing::Values(IniCase{"empty", ""},
                                           IniCase{"otherListFirst", "Other { version r 1 }"},
                                           IniCase{"notAList", "Layout r 7"},
                                           IniCase{"noVersion", "Layout { layout_exe A \"x\" }"},
                                           IniCase{"negativeVersion", "Layout { version r -1 }"},
                                           IniCase{"damaged", "Layout { version r 7 layout_exe A \"x }"},
                                           IniCase{"versionNotANumber", "Layout { version r seven }"}),
                         [](const auto& tp) { return std::string(tp.param.label); });

TEST_F(TandrelFolder, UserValuesReplaceAndMachineValuesFill) {
    std::string keys =
        "  layout_reg_entry A \"Software\\\\Tressil\\\\Paths\"\r\n  layout_exe_reg A \"Exe\"\r\n"
        "  layout_export_reg A \"Export\"\r\n  layout_log_file_reg A \"Logs\"\r\n";
    Write("tressil.ini", "Layout {\n version r 7\n layout_exe A \"/ini/exe\"\n" + keys + "}");
    SetValue(Hive::CurrentUser, "Exe", "/user/exe");
    SetValue(Hive::CurrentUser, "Logs", "");             // empty: the ini's value stays empty
    SetValue(Hive::LocalMachine, "Exe", "/machine/exe"); // not used: already set
    SetValue(Hive::LocalMachine, "Export", "/machine/export");
    SetValue(Hive::LocalMachine, "Logs", "/machine/logs/");
    LayoutSettings s;
    ASSERT_TRUE(FindLayoutSettings(dir_.string(), s));
    EXPECT_EQ(s.layout_exe, "/user/exe");
    EXPECT_EQ(s.layout_export_dir, "/machine/export/");
    EXPECT_EQ(s.layout_log_file_dir, "/machine/logs/");
}

TEST_F(TandrelFolder, AnEmptyProgramPathWithAMachineKeyMeansNotRead) {
    std::string ini = "Layout {\n version r 7\n layout_reg_entry A \"Software\\\\Tressil\\\\Paths\"\n"
                      " layout_exe_reg A \"Exe\"\n}";
    Write("tressil.ini", ini);
    LayoutSettings s;
    EXPECT_TRUE(FindLayoutSettings(dir_.string(), s)) << "no machine key: read";
    SetValue(Hive::LocalMachine, "Other", "x");
    EXPECT_FALSE(FindLayoutSettings(dir_.string(), s));
    SetValue(Hive::LocalMachine, "Exe", "/machine/exe");
    ASSERT_TRUE(FindLayoutSettings(dir_.string(), s));
    EXPECT_EQ(s.layout_exe, "/machine/exe");
}

TEST_F(TandrelFolder, TheNewestIniThatReadsIsUsed) {
    Write("tressil.ini", "Layout { version r 5 }");
    Write("tressil6.ini", "Layout { version r 6 }");
    Write("tressil7.ini", "Layout { version r -2 }");
    LayoutSettings s;
    ASSERT_TRUE(FindLayoutSettings(dir_.string(), s));
    EXPECT_EQ(s.version, 6);
    fs::remove(dir_ / "tressil6.ini");
    ASSERT_TRUE(FindLayoutSettings(dir_.string(), s));
    EXPECT_EQ(s.version, 5);
}

// ---- the whole pass, headless ----

struct Pass {
    int exitCode = -1;
    std::vector<std::string> messages;
    std::vector<std::string> listed;
    std::vector<std::string> requestedDirs;
};

class RecordingScript : public ScriptedPresenter {
  public:
    using ScriptedPresenter::ScriptedPresenter;
    std::vector<std::string> listed;
    std::vector<std::string> dirs;
    int runModal(CModalWindow& w) override {
        if (CWnd* list = w.GetDlgItem(1001))
            for (const auto& line : list->items())
                listed.push_back(line.str());
        EXPECT_FALSE(w.GetDlgItem(1002)->IsWindowVisible());
        EXPECT_FALSE(w.GetDlgItem(1003)->IsWindowVisible());
        return ScriptedPresenter::runModal(w);
    }
    std::optional<std::string> chooseFile(const FileDialogRequest& r) override {
        dirs.push_back(r.initialDir.str());
        EXPECT_EQ(r.filter.str(), "Tressil Log Files(.log)|*.log||");
        return ScriptedPresenter::chooseFile(r);
    }
};

Pass RunPass(const std::string& folder, std::vector<std::string> steps, testing::FakeConnector& connector) {
    std::vector<ScriptStep> parsed;
    for (const auto& s : steps) {
        size_t sp = s.find(' ');
        std::string error;
        auto step = parseScriptStep(s.substr(0, sp), sp == std::string::npos ? "" : s.substr(sp + 1), error);
        EXPECT_TRUE(step) << error;
        if (step) parsed.push_back(*step);
    }
    RecordingScript script(parsed);
    script.pressOkAtEnd = false;
    setPresenter(&script);
    CTandrelApp app({folder, kSchematicClassId, &connector});
    app.InitInstance();
    setPresenter(nullptr);
    Pass p;
    p.exitCode = app.ExitCode();
    for (const auto& b : script.messageBoxes())
        p.messages.push_back(b.request.text.str());
    p.listed = script.listed;
    p.requestedDirs = script.dirs;
    return p;
}

TEST_F(TandrelFolder, NoIniIsReported) {
    testing::FakeConnector connector;
    Pass p = RunPass(dir_.string(), {}, connector);
    EXPECT_EQ(p.messages, std::vector<std::string>{"Unable to find/read .INI file"});
    EXPECT_EQ(p.exitCode, 1);
}

TEST_F(TandrelFolder, ACancelledChooserLeavesOnlyTheLogName) {
    Write("tressil.ini", Ini());
    testing::FakeConnector connector;
    Pass p = RunPass(dir_.string(), {"file"}, connector);
    EXPECT_EQ(p.exitCode, 0);
    EXPECT_EQ(p.requestedDirs, std::vector<std::string>{(dir_ / "logs").string() + "/"});
    EXPECT_EQ(Read(ActionFile()), "LogFileName\r\n{\r\n  Param R \"\"\r\n}\r\n");
}

TEST_F(TandrelFolder, ARefusedLogShowsTheLibrarysMessageAndAppliesNothing) {
    Write("tressil.ini", Ini());
    std::string log = Write("bad.log", "vostrel5-change-log 9\n");
    testing::FakeSchematic schematic;
    testing::FakeConnector connector;
    connector.running = &schematic;
    Pass p = RunPass(dir_.string(), {"file " + log, "ok"}, connector);
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_NE(p.messages[0].find(log + ", line 1:"), std::string::npos) << p.messages[0];
    EXPECT_TRUE(p.listed.empty());
    EXPECT_TRUE(schematic.calls.empty());
    EXPECT_FALSE(fs::exists(ActionFile()));
}

TEST_F(TandrelFolder, AConfirmedLogIsListedAppliedAndTheFileDeleted) {
    Write("tressil.ini", Ini());
    std::vector<vostrel5::LogRecord> records = {{14, false, {"R1", "any", "R5"}},
                                                {2, false, {"R8", "0805"}},
                                                {1, true, {"R77"}},
                                                {1, false, {"R9"}},
                                                {20, false, {"beyond"}}};
    std::string log = Write("b.log", vostrel5::FormatLog(records));
    testing::FakeSchematic schematic;
    testing::FakeConnector connector;
    connector.running = &schematic;
    Pass p = RunPass(dir_.string(), {"file " + log, "ok"}, connector);
    EXPECT_EQ(p.exitCode, 0);
    EXPECT_TRUE(p.messages.empty());
    EXPECT_EQ(p.listed,
              (std::vector<std::string>{"Component renumber \"R1\" to \"R5\"", "Remove component: \"R9\""}));
    EXPECT_EQ(connector.askedFor, kSchematicClassId);
    ASSERT_EQ(schematic.calls.size(), 5u);
    EXPECT_EQ(schematic.calls[1], "72(\"R1 \", \"R5 \")");
    EXPECT_EQ(schematic.calls[2], "33(0, \"R9\")");
    EXPECT_NE(schematic.calls[3].find("Ignored: COMPONENT_ADD\t--\r\n"), std::string::npos)
        << schematic.calls[3];
    EXPECT_FALSE(fs::exists(ActionFile()));
}

TEST_F(TandrelFolder, CancelOrNoSchematicProgramAppliesNothingAndSaysNothing) {
    Write("tressil.ini", Ini());
    std::string log = Write("b.log", vostrel5::FormatLog({{1, false, {"R9"}}}));
    testing::FakeSchematic schematic;
    testing::FakeConnector connector;
    connector.running = &schematic;
    Pass cancelled = RunPass(dir_.string(), {"file " + log, "cancel"}, connector);
    EXPECT_EQ(cancelled.listed.size(), 1u);
    EXPECT_TRUE(schematic.calls.empty());
    connector.running = nullptr;
    Pass notRunning = RunPass(dir_.string(), {"file " + log, "ok"}, connector);
    EXPECT_TRUE(notRunning.messages.empty());
    EXPECT_EQ(notRunning.exitCode, 0);
}

TEST_F(TandrelFolder, ALogWithoutRecordsLeavesNoActionFile) {
    Write("tressil.ini", Ini());
    std::string log = Write("empty.log", "vostrel5-change-log 1\n# nothing changed\n");
    testing::FakeConnector connector;
    Pass p = RunPass(dir_.string(), {"file " + log}, connector);
    EXPECT_TRUE(p.listed.empty());
    EXPECT_FALSE(fs::exists(ActionFile()));
}

TEST_F(TandrelFolder, TheConfirmationWindowListsForReviewAndAsksForItsOwnHelp) {
    IO_TextStream out;
    ASSERT_TRUE(out.OpenForWriting(ActionFile()));
    WriteLogFileName(out, "b.log");
    WriteActionRecord(out, 1, {"R9"});
    WriteActionRecord(out, 2, {"R1"});
    WriteActionRecord(out, 10, {"", "元件网络", "N2"});
    ASSERT_TRUE(out.Close());
    AfxRegisterResourceModule(&TandrelResources());
    AfxSetResourceHandle(&TandrelResources());
    ScriptedPresenter script({});
    setPresenter(&script);
    CAnnotateDlg dlg(ActionFile());
    ASSERT_TRUE(dlg.Create());
    dlg.OnInitDialog();
    const auto& items = dlg.GetDlgItem(IDC_ANNOTATE_LIST)->items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].str(), "Remove component: \"R9\"");
    // "Change net name from "元件网络" to "N2"": 35 characters, 4 dialog units each.
    EXPECT_EQ(dlg.HorizontalExtent(), 35 * 4);
    EXPECT_FALSE(dlg.GetDlgItem(IDC_SELECT_ALL)->IsWindowVisible());
    EXPECT_FALSE(dlg.GetDlgItem(IDC_DESELECT_ALL)->IsWindowVisible());
    EXPECT_TRUE(dlg.GetDlgItem(IDOK)->IsWindowVisible());
    ASSERT_TRUE(dlg.pressButton(ID_HELP));
    ASSERT_EQ(script.helpRequests().size(), 1u);
    EXPECT_EQ(script.helpRequests()[0].module, "Tandrel");
    EXPECT_EQ(script.helpRequests()[0].context, 0x20000u + IDD_ANNOTATE);
    HELPINFO f1;
    dlg.SendMessage(WM_HELP, 0, reinterpret_cast<LPARAM>(&f1));
    ASSERT_EQ(script.helpRequests().size(), 2u);
    EXPECT_EQ(script.helpRequests()[1].context, 0x20000u + IDD_ANNOTATE);
    EXPECT_FALSE(dlg.ended());
    AfxSetResourceHandle(nullptr);
    AfxUnregisterResourceModule(&TandrelResources());
}

// ---- files and texts the pass must not lose or change ----

TEST_F(TandrelFolder, AnActionFileThatIsTheChosenLogIsRefusedAndTheLogKept) {
    std::string logText = vostrel5::FormatLog({{1, false, {"R9"}}});
    std::string log = Write("b.log", logText);
    fs::create_directories(dir_ / "other");
    std::string linked = (dir_ / "other" / "same.log").string();
    fs::create_hard_link(log, linked);
    for (const std::string& actionFile : {log, (dir_ / "." / "b.log").string(), linked}) {
        SCOPED_TRACE(actionFile);
        Write("tressil.ini",
              "Layout {\n version r 7\n layout_exe A \"/x\"\n tandrel_log A \"" + actionFile + "\"\n}");
        testing::FakeSchematic schematic;
        testing::FakeConnector connector;
        connector.running = &schematic;
        Pass p = RunPass(dir_.string(), {"file " + log, "ok"}, connector);
        EXPECT_EQ(p.exitCode, 1);
        ASSERT_EQ(p.messages.size(), 1u);
        EXPECT_NE(p.messages[0].find("is the chosen change log"), std::string::npos) << p.messages[0];
        EXPECT_EQ(Read(log), logText);
        EXPECT_TRUE(schematic.calls.empty());
    }
}

TEST_F(TandrelFolder, AnActionFileThatCannotBeWrittenIsReportedWithTheReason) {
    std::string log = Write("b.log", vostrel5::FormatLog({{1, false, {"R9"}}}));
    fs::create_directories(dir_ / "folder");
    const std::string fifo = (dir_ / "pipe.act").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string actionFile;
        std::vector<std::string> steps;
        std::string reason;
    };
    for (const Case& c : {Case{(dir_ / "missing" / "a.act").string(), {"file " + log, "ok"}, "No such file"},
                          Case{(dir_ / "missing" / "a.act").string(), {"file"}, "No such file"},
                          Case{(dir_ / "folder").string(), {"file " + log, "ok"}, "it is a folder"},
                          Case{(dir_ / "folder").string(), {"file"}, "it is a folder"},
                          Case{fifo, {"file " + log, "ok"}, "it is not a plain file"},
                          Case{fifo, {"file"}, "it is not a plain file"}}) {
        SCOPED_TRACE(c.actionFile + " " + c.steps[0]);
        Write("tressil.ini",
              "Layout {\n version r 7\n layout_exe A \"/x\"\n tandrel_log A \"" + c.actionFile + "\"\n}");
        testing::FakeConnector connector;
        Pass p = RunPass(dir_.string(), c.steps, connector);
        EXPECT_EQ(p.exitCode, 1);
        ASSERT_EQ(p.messages.size(), 1u);
        EXPECT_NE(p.messages[0].find("Cannot write the action file \"" + c.actionFile + "\""),
                  std::string::npos)
            << p.messages[0];
        EXPECT_NE(p.messages[0].find(c.reason), std::string::npos) << p.messages[0];
        EXPECT_TRUE(fs::is_directory(dir_ / "folder")) << "an empty folder in the way is not removed";
        EXPECT_EQ(fs::symlink_status(fifo).type(), fs::file_type::fifo) << "the FIFO was replaced";
    }
}

TEST_F(TandrelFolder, AnActionFileThatIsALinkIsWrittenThroughTheLinkWithItsModeKept) {
    fs::create_directories(dir_ / "kept");
    const std::string real = Write("kept/real.act", "old");
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    fs::create_symlink(real, ActionFile());
    Write("tressil.ini", Ini());
    std::string log = Write("b.log", vostrel5::FormatLog({{1, false, {"R9"}}}));
    testing::FakeConnector connector; // no schematic program: the action file stays as written
    for (const auto& steps :
         {std::vector<std::string>{"file"}, std::vector<std::string>{"file " + log, "ok"}}) {
        SCOPED_TRACE(steps[0]);
        Pass p = RunPass(dir_.string(), steps, connector);
        EXPECT_EQ(p.exitCode, 0);
        EXPECT_TRUE(p.messages.empty());
        EXPECT_TRUE(fs::is_symlink(ActionFile()));
        EXPECT_NE(Read(real).find("LogFileName"), std::string::npos);
        EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "kept"), fs::directory_iterator{}), 1)
            << "a temporary file was left";
    }
    EXPECT_NE(Read(real).find("R9"), std::string::npos);
}

TEST_F(TandrelFolder, ANulByteInAParameterIsRefusedNotCut) {
    Write("tressil.ini", Ini());
    std::string log =
        Write("b.log", vostrel5::FormatLog({{1, false, {"R9"}}, {1, false, {std::string("R\0 1", 4)}}}));
    testing::FakeSchematic schematic;
    testing::FakeConnector connector;
    connector.running = &schematic;
    Pass p = RunPass(dir_.string(), {"file " + log, "ok"}, connector);
    EXPECT_EQ(p.exitCode, 1);
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_NE(p.messages[0].find("NUL byte in parameter 1 of entry 2"), std::string::npos) << p.messages[0];
    EXPECT_TRUE(p.listed.empty());
    EXPECT_TRUE(schematic.calls.empty());
}

TEST_F(TandrelFolder, TextsThatAreNotUtf8AreCarriedAsTheirLatin1Reading) {
    Write("tressil.ini", Ini());
    std::string log =
        Write("caf\xe9.log", vostrel5::FormatLog({{1, false, {"R\xe9sistance"}}, {1, false, {"\xff\xfe"}}}));
    testing::FakeSchematic schematic;
    testing::FakeConnector connector;
    connector.running = &schematic;
    Pass p = RunPass(dir_.string(), {"file " + log, "ok"}, connector);
    EXPECT_EQ(p.exitCode, 0);
    EXPECT_EQ(p.listed, (std::vector<std::string>{"Remove component: \"R\xc3\xa9sistance\"",
                                                  "Remove component: \"\xc3\xbf\xc3\xbe\""}));
    ASSERT_EQ(schematic.calls.size(), 5u);
    EXPECT_EQ(schematic.calls[1], "33(0, \"R\xc3\xa9sistance\")");
    EXPECT_NE(schematic.calls[3].find("Filename:  " + (dir_ / "caf\xc3\xa9.log").string()), std::string::npos)
        << schematic.calls[3];
}

TEST_F(TandrelFolder, ASchematicProgramThatEndsOrRefusesTheLogFailsThePassAndKeepsTheFile) {
    Write("tressil.ini", Ini());
    std::string log = Write("b.log", vostrel5::FormatLog({{1, false, {"R9"}}, {1, false, {"R8"}}}));
    for (auto [dispid, failure] : {std::pair{33, korvane::automation::CallFailure::Gone},
                                   std::pair{43, korvane::automation::CallFailure::Refused}}) {
        SCOPED_TRACE(dispid);
        testing::FakeSchematic schematic;
        schematic.failures[dispid] = failure;
        testing::FakeConnector connector;
        connector.running = &schematic;
        Pass p = RunPass(dir_.string(), {"file " + log, "ok"}, connector);
        EXPECT_EQ(p.exitCode, 1);
        ASSERT_EQ(p.messages.size(), 1u);
        EXPECT_NE(p.messages[0].find("The action file \"" + ActionFile() + "\" is kept."), std::string::npos)
            << p.messages[0];
        EXPECT_NE(Read(ActionFile()).find("R8"), std::string::npos);
        fs::remove(ActionFile());
    }
}

} // namespace
} // namespace tandrel
