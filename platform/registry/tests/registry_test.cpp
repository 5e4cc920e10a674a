#include "registry/registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>

using namespace korvane::registry;
namespace fs = std::filesystem;

namespace {

class Registry : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("korvane-registry-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "home");
        fs::create_directories(root_ / "sys");
        setenv("XDG_CONFIG_HOME", (root_ / "home").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", (root_ / "sys").string().append(":/nowhere").c_str(), 1);
    }
    void TearDown() override {
        fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(root_);
    }
    static std::string slurp(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void spill(const fs::path& p, const std::string& text) {
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << text;
    }
    fs::path root_;
};

TEST_F(Registry, HivesFollowTheXdgFoldersAndTheirDefaults) {
    EXPECT_EQ(hiveRoot(Hive::CurrentUser), root_ / "home" / "korvane" / "registry");
    EXPECT_EQ(hiveRoot(Hive::LocalMachine), root_ / "sys" / "korvane" / "registry");
    setenv("XDG_CONFIG_DIRS", "relative/dir:/x", 1); // relative entries do not count
    EXPECT_EQ(hiveRoot(Hive::LocalMachine), fs::path("/etc/xdg/korvane/registry"));
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", root_.c_str(), 1);
    EXPECT_EQ(hiveRoot(Hive::CurrentUser), root_ / ".config" / "korvane" / "registry");
}

TEST_F(Registry, ValuesRoundTripThroughTheFile) {
    const std::string texts[] = {
        "",
        "C:\\Tressil\\bin\\",
        "  leading and trailing  ",
        "quote \" semicolon ; hash # equals = colon :",
        "two\r\nlines\tand a tab",
        "中文文本",
        std::string(5000, 'x'),
        std::string("nul\0inside", 10),
    };
    RegKey key;
    ASSERT_TRUE(key.create(Hive::CurrentUser, "Software\\Test"));
    int i = 0;
    for (const auto& t : texts)
        EXPECT_TRUE(key.setString("text" + std::to_string(i++), t));
    const std::string oddNames[] = {"", " spaced ", "a=b:c;d\\e\"f", "[section]", "#hash", "名字"};
    for (const auto& n : oddNames)
        EXPECT_TRUE(key.setInteger(n, -7));
    EXPECT_TRUE(key.setInteger("max", INT64_MAX));
    EXPECT_TRUE(key.setInteger("min", INT64_MIN));

    RegKey again;
    ASSERT_TRUE(again.open(Hive::CurrentUser, "Software\\Test"));
    i = 0;
    for (const auto& t : texts) {
        std::string got;
        EXPECT_TRUE(again.queryString("text" + std::to_string(i++), got));
        EXPECT_EQ(got, t);
    }
    for (const auto& n : oddNames) {
        std::int64_t v = 0;
        EXPECT_TRUE(again.queryInteger(n, v)) << n;
        EXPECT_EQ(v, -7);
    }
    std::int64_t v = 0;
    EXPECT_TRUE(again.queryInteger("max", v));
    EXPECT_EQ(v, INT64_MAX);
    EXPECT_TRUE(again.queryInteger("min", v));
    EXPECT_EQ(v, INT64_MIN);
}

TEST_F(Registry, TypesAreKeptApartAndOverwriteReplaces) {
    RegKey key;
    ASSERT_TRUE(key.create(Hive::CurrentUser, "K"));
    ASSERT_TRUE(key.setString("Width", "0.02000"));
    ASSERT_TRUE(key.setInteger("Tool", 2));
    std::string s;
    std::int64_t n = 0;
    EXPECT_FALSE(key.queryInteger("Width", n));
    EXPECT_FALSE(key.queryString("Tool", s));
    EXPECT_FALSE(key.queryString("Missing", s));
    EXPECT_EQ(key.queryType("Width"), ValueType::String);
    EXPECT_EQ(key.queryType("Tool"), ValueType::Integer);
    EXPECT_EQ(key.queryType("Missing"), ValueType::None);
    ASSERT_TRUE(key.setInteger("width", 5)); // same value, other case: replaced, spelling kept
    EXPECT_TRUE(key.queryInteger("WIDTH", n));
    EXPECT_EQ(n, 5);
    std::string name;
    ValueType type{};
    ASSERT_TRUE(key.enumValue(0, name, type));
    EXPECT_EQ(name, "Width");
    EXPECT_EQ(type, ValueType::Integer);
    EXPECT_TRUE(key.enumValue(1, name, type));
    EXPECT_FALSE(key.enumValue(2, name, type));
    EXPECT_TRUE(key.deleteValue("TOOL"));
    EXPECT_FALSE(key.deleteValue("Tool"));
    EXPECT_FALSE(key.enumValue(1, name, type));
}

TEST_F(Registry, KeysOpenCaseBlindAndEnumerate) {
    RegKey key;
    EXPECT_FALSE(key.open(Hive::CurrentUser, "Software\\Tressil"));
    EXPECT_FALSE(key.isOpen());
    ASSERT_TRUE(key.create(Hive::CurrentUser, "Software\\Tressil\\Paths"));
    ASSERT_TRUE(key.create(Hive::CurrentUser, "software\\Beta"));
    ASSERT_TRUE(key.create(Hive::CurrentUser, "SOFTWARE\\alpha"));
    ASSERT_TRUE(key.open(Hive::CurrentUser, "sOfTwArE\\tressil\\PATHS")); // empty keys persist
    ASSERT_TRUE(key.open(Hive::CurrentUser, "Software"));
    std::string names;
    std::string n;
    for (std::size_t i = 0; key.enumKey(i, n); ++i)
        names += n + "|";
    EXPECT_EQ(names, "alpha|Beta|Tressil|");
    EXPECT_FALSE(key.deleteSubKey("tressil")); // it still has a subkey
    EXPECT_TRUE(key.deleteSubKey("BETA"));
    EXPECT_FALSE(key.open(Hive::CurrentUser, "Software\\Beta"));
    // Keys of one hive are not seen in the other.
    EXPECT_FALSE(key.open(Hive::LocalMachine, "Software\\alpha"));
}

TEST_F(Registry, BadPathsFailAndOddKeyNamesStayInsideTheHive) {
    RegKey key;
    for (const char* bad : {"\\Lead", "Trail\\", "A\\\\B"})
        EXPECT_FALSE(key.create(Hive::CurrentUser, bad)) << bad;
    for (const char* odd : {"..", ".", "a/b", "../../escape", "values.ini", "VALUES.INI.bak", "100%"}) {
        ASSERT_TRUE(key.create(Hive::CurrentUser, std::string("Odd\\") + odd)) << odd;
        ASSERT_TRUE(key.setInteger("v", 1));
    }
    ASSERT_TRUE(key.open(Hive::CurrentUser, "Odd"));
    int count = 0;
    std::string n;
    while (key.enumKey(static_cast<std::size_t>(count), n))
        ++count;
    EXPECT_EQ(count, 7);
    EXPECT_FALSE(fs::exists(root_ / "home" / "korvane" / "escape"));
    EXPECT_FALSE(fs::exists(root_ / "home" / "korvane" / "registry" / "Odd" / "a"));
    std::int64_t v = 0;
    EXPECT_TRUE(key.open(Hive::CurrentUser, "odd\\Values.Ini") && key.queryInteger("V", v) && v == 1);
}

TEST_F(Registry, MalformedFilesNeverCrashAndLoseNothing) {
    fs::path file = root_ / "sys" / "korvane" / "registry" / "Bad" / "values.ini";
    const std::string original = "good = \"kept\"\n"
                                 "noequals line\n"
                                 "badescape = \"\\q\"\n"
                                 "unterminated = \"abc\n"
                                 "notanumber = 12abc\n"
                                 "overflow = 99999999999999999999\n"
                                 "good = \"duplicate ignored\"\n"
                                 "   indented = 4\n"
                                 "\xff\xfe binary = \x01\x02\n" +
                                 std::string("long = \"") + std::string(300000, 'y') + "\"\n" +
                                 "[section]\n"
                                 "insection = 1\n";
    spill(file, original);
    RegKey key;
    ASSERT_TRUE(key.open(Hive::LocalMachine, "Bad"));
    std::string s;
    std::int64_t n = 0;
    EXPECT_TRUE(key.queryString("good", s));
    EXPECT_EQ(s, "kept");
    EXPECT_TRUE(key.queryInteger("indented", n)); // an indented line is not a continuation
    EXPECT_EQ(n, 4);
    EXPECT_TRUE(key.queryString("long", s));
    EXPECT_EQ(s.size(), 300000u);
    for (const char* name : {"badescape", "unterminated", "notanumber", "overflow", "insection"}) {
        EXPECT_EQ(key.queryType(name), ValueType::None) << name;
        EXPECT_FALSE(key.queryString(name, s));
    }
    // A change keeps the old file beside the new one and writes the odd lines back as found.
    ASSERT_TRUE(key.setInteger("added", 1));
    EXPECT_EQ(slurp(file.parent_path() / "values.ini.bak"), original);
    std::string rewritten = slurp(file);
    EXPECT_NE(rewritten.find("notanumber = 12abc\n"), std::string::npos);
    EXPECT_NE(rewritten.find("added = 1\n"), std::string::npos);
    EXPECT_EQ(rewritten.find("insection"), std::string::npos); // only in the backup
    EXPECT_EQ(key.queryType("insection"), ValueType::None);
    EXPECT_TRUE(key.queryString("good", s));
    EXPECT_EQ(s, "kept");
}

TEST_F(Registry, OversizedAndEmbeddedNulFilesAreRefused) {
    fs::path dir = root_ / "home" / "korvane" / "registry" / "Big";
    spill(dir / "values.ini", "a = 1\n");
    fs::resize_file(dir / "values.ini", (16u << 20) + 1);
    RegKey key;
    ASSERT_TRUE(key.open(Hive::CurrentUser, "Big"));
    std::int64_t n = 0;
    EXPECT_FALSE(key.queryInteger("a", n));
}

TEST_F(Registry, FailedWritesLeaveTheOldFileAndNoLitter) {
    RegKey key;
    ASSERT_TRUE(key.create(Hive::CurrentUser, "Locked"));
    ASSERT_TRUE(key.setString("a", "before"));
    EXPECT_FALSE(key.setString("a", std::string(2u << 20, 'z'))); // beyond what the reader takes
    std::string s;
    EXPECT_TRUE(key.queryString("a", s));
    EXPECT_EQ(s, "before");
    // The rename cannot replace a folder: the write fails and its temporary file goes.
    RegKey blocked;
    ASSERT_TRUE(blocked.create(Hive::CurrentUser, "Blocked"));
    fs::path dir = root_ / "home" / "korvane" / "registry" / "Blocked";
    fs::create_directory(dir / "values.ini");
    EXPECT_FALSE(blocked.setInteger("a", 1));
    int entries = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(Registry, ClosedKeysRefuseEverything) {
    RegKey closed;
    std::string s;
    std::int64_t n = 0;
    EXPECT_FALSE(closed.setString("a", "b"));
    EXPECT_FALSE(closed.queryString("a", s));
    EXPECT_FALSE(closed.queryInteger("a", n));
    EXPECT_FALSE(closed.enumKey(0, s));
    ASSERT_TRUE(closed.create(Hive::CurrentUser, "K"));
    closed.close();
    EXPECT_FALSE(closed.setInteger("a", 1));
}

} // namespace
