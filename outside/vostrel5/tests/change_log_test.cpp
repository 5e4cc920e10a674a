#include "vostrel5/BackAnnotation.h"
#include "vostrel5/change_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

class ChangeLog : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("vostrel5-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string File(const std::string& name, const std::string& text) {
        std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    std::filesystem::path dir_;
};

std::vector<std::string> Params(const CBackAnnotationRecord& r) {
    std::vector<CString> params{CString("left over")};
    r.GetParameters(params);
    std::vector<std::string> out;
    for (const auto& p : params)
        out.push_back(p.str());
    return out;
}

TEST_F(ChangeLog, ADescriptionWrittenAsALogReadsBackRecordByRecord) {
    std::vector<vostrel5::LogRecord> records;
    std::string error;
    ASSERT_TRUE(vostrel5::ParseDescription("# a comment\n"
                                           "COMPONENT_RENUMBER R1 any R5\r\n"
                                           "\n"
                                           "  NET_ADD_PIN \"GND net\" U1 \"\"\n"
                                           "!COMPONENT_REMOVE R9\n"
                                           "COMPONENT_CHANGE_VALUE C1 \"tab\\\"\t\" 元件\n"
                                           "20 x\n"
                                           "0\n",
                                           records, error))
        << error;
    ASSERT_EQ(records.size(), 6u);
    records[5].params = {"back\\slash", "two\nlines", "cr\r"};
    std::string path = File("all.log", vostrel5::FormatLog(records));

    CBackAnnotationManager log(path.c_str(), 2);
    ASSERT_EQ(log.Status(), 0) << log.GetLastError().str();
    ASSERT_EQ(log.GetLogEntryCount(), 6);
    CBackAnnotationRecord r;
    ASSERT_EQ(log.GetLogEntry(0, r), 1);
    EXPECT_EQ(r.GetActionID(), 14);
    EXPECT_EQ(Params(r), (std::vector<std::string>{"R1", "any", "R5"}));
    ASSERT_EQ(log.GetLogEntry(1, r), 1);
    EXPECT_EQ(r.GetActionID(), 8);
    EXPECT_EQ(Params(r), (std::vector<std::string>{"GND net", "U1", ""}));
    EXPECT_EQ(log.GetLogEntry(2, r), 0) << "a withdrawn change is skipped";
    ASSERT_EQ(log.GetLogEntry(3, r), 1);
    EXPECT_EQ(r.GetActionID(), 5);
    EXPECT_EQ(Params(r), (std::vector<std::string>{"C1", "tab\"\t", "元件"}));
    ASSERT_EQ(log.GetLogEntry(4, r), 1);
    EXPECT_EQ(r.GetActionID(), 20);
    ASSERT_EQ(log.GetLogEntry(5, r), 1);
    EXPECT_EQ(r.GetActionID(), 0);
    EXPECT_EQ(Params(r), (std::vector<std::string>{"back\\slash", "two\nlines", "cr\r"}));
    EXPECT_EQ(log.GetLogEntry(6, r), 0);
    EXPECT_EQ(log.GetLogEntry(-1, r), 0);

    log.Remove();
    EXPECT_EQ(log.GetLogEntryCount(), 0);
    EXPECT_TRUE(std::filesystem::exists(path)) << "the log file itself stays";
}

struct BadLog {
    const char* label;
    const char* text; // null: no file at all
    int status;
    const char* where; // expected piece of the message
};

class RefusedLogs : public ChangeLog, public testing::WithParamInterface<BadLog> {};

TEST_P(RefusedLogs, GiveAStatusAndAMessageNamingFileAndLine) {
    std::string path = GetParam().text ? File("bad.log", GetParam().text) : (dir_ / "missing.log").string();
    CBackAnnotationManager log(path.c_str(), 2);
    EXPECT_EQ(log.Status(), GetParam().status);
    std::string message = log.GetLastError().str();
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_NE(message.find(GetParam().where), std::string::npos) << message;
    EXPECT_EQ(log.GetLogEntryCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedLogs,
    testing::Values(
        BadLog{"missing", nullptr, 1, "No such file"}, BadLog{"empty", "", 2, "line 1: the file is empty"},
        BadLog{"otherFile", "Layout\r\n{\r\n", 2, "line 1: this is not"},
        BadLog{"newerVersion", "vostrel5-change-log 2\n1\tR1\n", 3, "line 1: the log is of version \"2\""},
        BadLog{"badId", "vostrel5-change-log 1\n1\tR1\n\nR2\tx\n", 4, "line 4: \"R2\" is not an action id"},
        BadLog{"negativeId", "vostrel5-change-log 1\n-1\tR1\n", 4, "line 2: \"-1\" is not"},
        BadLog{"hugeId", "vostrel5-change-log 1\n99999999999\n", 4, "line 2: \"99999999999\" is not"},
        BadLog{"badEscape", "vostrel5-change-log 1\r\n1\tok\tR\\q\r\n", 4, "line 2: parameter 2"},
        BadLog{"danglingEscape", "vostrel5-change-log 1\n1\tR\\\n", 4, "line 2: parameter 1"}),
    [](const auto& tp) { return std::string(tp.param.label); });

TEST_F(ChangeLog, AFolderOrAnotherModeIsRefused) {
    CBackAnnotationManager folder(dir_.c_str(), 2);
    EXPECT_EQ(folder.Status(), CBackAnnotationManager::kCannotRead);
    std::string path = File("ok.log", "vostrel5-change-log 1\n1\tR1\n");
    CBackAnnotationManager other(path.c_str(), 1);
    EXPECT_EQ(other.Status(), CBackAnnotationManager::kBadMode);
    EXPECT_EQ(other.GetLogEntryCount(), 0);
}

TEST(ChangeDescription, BadLinesAreNamed) {
    std::vector<vostrel5::LogRecord> records;
    std::string error;
    EXPECT_FALSE(vostrel5::ParseDescription("COMPONENT_REMOVE R1\nMOVE_PART R2\n", records, error));
    EXPECT_EQ(error, "line 2: \"MOVE_PART\" is neither a change name nor an id");
    EXPECT_FALSE(vostrel5::ParseDescription("NET_ADD_PIN \"open\n", records, error));
    EXPECT_EQ(error, "line 1: a quoted word is not closed");
    EXPECT_EQ(vostrel5::ChangeId("99999999999"), -1);
    EXPECT_EQ(vostrel5::ChangeId("PIN_SWAP"), 13);
}

} // namespace
