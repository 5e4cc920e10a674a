#include "itemformat/io_textstream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Written(const IO_Item& item) {
    IO_TextStream out;
    out.Write(item);
    return out.GetText();
}

TEST(ItemWriting, NestedListLayoutNumbersAndLineEnds) {
    IO_ItemList top("Layout");
    top.Add<IO_Int>("count", -42);
    top.Add<IO_Double>("version", 7.5);
    top.Add<IO_Double>("big", 1e10);
    auto& inner = top.Add<IO_ItemList>("inner");
    inner.Add<IO_IntArray>("ids", std::vector<long>{1, 2, 3});
    inner.Add<IO_DoubleArray>("xs", std::vector<double>{0.5, 2.5e-7});
    top.Add<IO_IntArray>("none");
    EXPECT_EQ(Written(top), "Layout\r\n"
                            "{\r\n"
                            "  count i -42\r\n"
                            "  version r 7.5\r\n"
                            "  big r 1e+010\r\n"
                            "  inner\r\n"
                            "  {\r\n"
                            "    ids i: 3 1 2 3\r\n"
                            "    xs r: 2 0.5 2.5e-007\r\n"
                            "  }\r\n"
                            "  none i: 0\r\n"
                            "}\r\n");
}

TEST(ItemWriting, ListsWithoutItemsLeaveNoTrace) {
    IO_ItemList top("Top");
    top.Add<IO_ItemList>("empty");
    top.Add<IO_ItemList>("onlyEmpty").Add<IO_ItemList>("deeper");
    EXPECT_EQ(Written(top), "");
    top.Add<IO_Int>("n", 1);
    EXPECT_EQ(Written(top), "Top\r\n{\r\n  n i 1\r\n}\r\n");
}

TEST(ItemWriting, NamesThatWouldNotReadBackAreMended) {
    IO_ItemList list("");
    list.Add<IO_Int>("two words", 1);
    list.Add<IO_Int>("}", 2);
    list.Add<IO_ExtendedType>("t", "Tag", '(', std::string("x"));
    list.Add<IO_Int>("(y", 3);
    list.Add<IO_Int>("(z", 4);
    list.Add<IO_ExtendedType>("u", "Tag", '_', std::string("x"));
    list.Add<IO_Int>("_w", 5);
    EXPECT_EQ(Written(list),
              "NO_NAME_GIVEN\r\n{\r\n  two_words i 1\r\n  _} i 2\r\n  t Tag (x)\r\n  _(y i 3\r\n"
              "  (z i 4\r\n  u Tag _x_\r\n  -_w i 5\r\n}\r\n");
}

struct TextCase {
    const char* label;
    std::optional<std::string> text;
    const char* written;
};

class TextWriting : public testing::TestWithParam<TextCase> {};

TEST_P(TextWriting, EscapesSplitsAndNulls) {
    IO_ItemList list("L");
    list.Add<IO_AsciiStr>("t", GetParam().text);
    EXPECT_EQ(Written(list), std::string("L\r\n{\r\n  t A ") + GetParam().written + "\r\n}\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextWriting,
    testing::Values(TextCase{"plain", std::string("R1"), "\"R1\""}, TextCase{"empty", std::string(), "\"\""},
                    TextCase{"null", std::nullopt, "0"},
                    TextCase{"quote", std::string("say \"hi\""), "\"say \\\"hi\\\"\""},
                    TextCase{"backslash", std::string("C:\\pcb\\"), "\"C:\\\\pcb\\\\\""},
                    TextCase{"lineFeed", std::string("one\r\ntwo"), "\"one\"\r\n    \"two\""},
                    TextCase{"trailingLineFeed", std::string("x\n"), "\"x\"\r\n    \"\""},
                    TextCase{"utf8", std::string("元件"), "\"元件\""}),
    [](const auto& tp) { return std::string(tp.param.label); });

TEST(ItemWriting, TypedTextUsesItsOwnDelimiterAndMatchingBracket) {
    IO_ItemList list("L");
    list.Add<IO_ExtendedType>("a", "Point", '(', std::string("1,(2)"));
    list.Add<IO_ExtendedType>("b", "Tag", '|', std::string("x|y"));
    list.Add<IO_ExtendedType>("c", "Tag", '\\', std::string("z"));
    list.Add<IO_ExtendedType>("e", "Tag", '}', std::string("z"));
    list.Add<IO_ResStr>("d", std::string("r"));
    EXPECT_EQ(Written(list), "L\r\n{\r\n"
                             "  a Point (1,\\(2\\))\r\n"
                             "  b Tag |x\\|y|\r\n"
                             "  c Tag \"z\"\r\n"
                             "  e Tag \"z\"\r\n"
                             "  d R \"r\"\r\n"
                             "}\r\n");
}

// The letters one byte becomes, given the key byte it is combined with.
std::string Letters(uint8_t byte, uint8_t key) {
    uint8_t v = byte ^ key;
    return {static_cast<char>('A' + (v & 15)), static_cast<char>('a' + (v >> 4))};
}

TEST(ItemWriting, MemoryBlocksAreScrambledWithTheKeyRestartingPerBlock) {
    const uint8_t* key = IO_TextStream::MemoryKey();
    IO_ItemList list("L");
    list.Add<IO_Memory>("m1", std::vector<uint8_t>{0x00, 0xFF, 0x12, 0x34, 0x56});
    list.Add<IO_Memory>("m2", std::vector<uint8_t>{0x00});
    list.Add<IO_Memory>("m3", std::nullopt);
    std::string m1 = Letters(0x00, key[0]) + Letters(0xFF, key[1]) + Letters(0x12, key[2]) +
                     Letters(0x34, key[3]) + Letters(0x56, key[0]);
    EXPECT_EQ(Written(list), "L\r\n{\r\n  m1 M \"" + m1 + "\"\r\n  m2 M \"" + Letters(0, key[0]) +
                                 "\"\r\n  m3 M 0\r\n}\r\n");
    // Letters are upper then lower case, low half first.
    EXPECT_EQ(Letters(0x5A, 0), "Kf");
}

TEST(ItemWriting, MemoryLinesBreakAfter72LettersCountingAcrossBlocks) {
    IO_TextStream out;
    out.Write(IO_Memory("a", std::vector<uint8_t>(40, 0)));
    out.Write(IO_Memory("b", std::vector<uint8_t>(40, 0)));
    std::istringstream lines(out.GetText());
    std::string line;
    std::vector<size_t> lengths;
    while (std::getline(lines, line))
        lengths.push_back(line.size());
    // "a M \"" + 72 letters + CR; 8 letters + "\"" + CR; then block b continues the count of 8:
    // 64 more letters before the break.
    ASSERT_EQ(lengths.size(), 4u);
    EXPECT_EQ(lengths[0], 5 + 72 + 1);
    EXPECT_EQ(lengths[1], 8 + 1 + 1);
    EXPECT_EQ(lengths[2], 5 + 64 + 1);
    EXPECT_EQ(lengths[3], 16 + 1 + 1);
}

TEST(ItemFile, WritingReplacesTheTargetOnlyAtClose) {
    auto dir = std::filesystem::temp_directory_path() / ("itemformat-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string path = (dir / "out.txt").string();
    { std::ofstream(path) << "old"; }
    {
        IO_TextStream out;
        ASSERT_TRUE(out.OpenForWriting(path));
        out.Write(IO_Int("n", 1));
        // Abandoned without Close(): the old file stays, no temporary is left.
    }
    auto listing = [&] {
        std::vector<std::string> names;
        for (auto& e : std::filesystem::directory_iterator(dir))
            names.push_back(e.path().filename());
        return names;
    };
    EXPECT_EQ(listing(), std::vector<std::string>{"out.txt"});
    {
        std::ifstream in(path);
        std::string s((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(s, "old");
    }
    IO_TextStream out;
    ASSERT_TRUE(out.OpenForWriting(path));
    out.Write(IO_Int("n", 1));
    ASSERT_TRUE(out.Close());
    EXPECT_EQ(listing(), std::vector<std::string>{"out.txt"});
    IO_TextStream in;
    ASSERT_TRUE(in.OpenForReading(path));
    EXPECT_EQ(in.GetText(), "n i 1\r\n");
    std::filesystem::remove_all(dir);

    IO_TextStream nowhere;
    EXPECT_FALSE(nowhere.OpenForWriting((dir / "missing" / "x.txt").string()));
    EXPECT_FALSE(nowhere.OpenForReading((dir / "missing" / "x.txt").string()));
    EXPECT_NE(nowhere.GetError().find("x.txt"), std::string::npos);
}

// A scratch folder for the saving rules below.
struct SaveFolder {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("itemformat-save-" + std::to_string(::getpid()));
    SaveFolder() {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~SaveFolder() { std::filesystem::remove_all(path); }
    // The entries with their kinds ("pipe 7"), so that a special file replaced by a plain one shows.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (auto& e : std::filesystem::directory_iterator(path))
            names.push_back(e.path().filename().string() + " " +
                            std::to_string(static_cast<int>(e.symlink_status().type())));
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(path / name, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
};

TEST(ItemFile, SavingThroughALinkReplacesTheFileItNamesAndKeepsItsMode) {
    SaveFolder dir;
    { std::ofstream(dir.path / "real.act") << "old"; }
    ASSERT_EQ(::chmod((dir.path / "real.act").c_str(), 0600), 0);
    std::filesystem::create_symlink("real.act", dir.path / "link.act");

    IO_TextStream out;
    ASSERT_TRUE(out.OpenForWriting((dir.path / "link.act").string())) << out.GetError();
    out.Write(IO_Int("n", 2));
    ASSERT_TRUE(out.Close()) << out.GetError();

    EXPECT_TRUE(std::filesystem::is_symlink(dir.path / "link.act"));
    EXPECT_EQ(dir.Read("real.act"), "n i 2\r\n");
    struct stat st {};
    ASSERT_EQ(::stat((dir.path / "real.act").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(dir.Names().size(), 2u) << "a temporary file was left";
}

TEST(ItemFile, TargetsThatCannotBeSavedAreRefusedWithTheReasonAndLeftAlone) {
    struct Case {
        const char* what;
        std::function<std::string(const std::filesystem::path&)> make; // returns the path to save to
        const char* says;
    };
    const Case cases[] = {
        {"a FIFO",
         [](const std::filesystem::path& d) {
             EXPECT_EQ(::mkfifo((d / "pipe").c_str(), 0600), 0);
             return (d / "pipe").string();
         },
         "is a FIFO"},
        {"a folder",
         [](const std::filesystem::path& d) {
             std::filesystem::create_directory(d / "sub");
             return (d / "sub").string();
         },
         "is a folder"},
        {"a missing folder",
         [](const std::filesystem::path& d) { return (d / "missing" / "a.act").string(); },
         "missing does not exist (No such file or directory)"},
        {"a link into a missing folder",
         [](const std::filesystem::path& d) {
             std::filesystem::create_symlink("gone/a.act", d / "dangling");
             return (d / "dangling").string();
         },
         "gone does not exist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SaveFolder dir;
        const std::string path = c.make(dir.path);
        const std::vector<std::string> before = dir.Names();
        IO_TextStream out;
        EXPECT_FALSE(out.OpenForWriting(path));
        EXPECT_NE(out.GetError().find(c.says), std::string::npos) << out.GetError();
        EXPECT_NE(out.GetError().find(path), std::string::npos) << "the error names the file";
        // Nothing to store: Close() reports no failure of its own and changes nothing.
        out.Write(IO_Int("n", 1));
        EXPECT_TRUE(out.Close());
        EXPECT_EQ(dir.Names(), before) << "the target changed or a temporary file was left";
    }
}

} // namespace
