#include "platform/line_reader.h"
#include "platform/scripted.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace {

namespace fs = std::filesystem;
using korvane::LineReader;

fs::path tempFile(const std::string& text) {
    static int n = 0;
    fs::path p = fs::temp_directory_path() /
                 ("line-reader-" + std::to_string(::getpid()) + "-" + std::to_string(++n) + ".txt");
    std::ofstream(p, std::ios::binary) << text;
    return p;
}

struct Read {
    std::vector<std::string> lines;
    std::string error; // empty when the whole file was read
};

Read readAll(LineReader& in) {
    Read r;
    std::string line;
    LineReader::Result got;
    while ((got = in.next(line)) == LineReader::Result::Line)
        r.lines.push_back(line);
    if (got == LineReader::Result::Error) r.error = in.error();
    return r;
}

Read readFile(const std::string& text, korvane::LineLimits limits) {
    const fs::path p = tempFile(text);
    LineReader in;
    Read r;
    if (in.open(p.string(), limits))
        r = readAll(in);
    else
        r.error = in.error();
    fs::remove(p);
    return r;
}

constexpr korvane::LineLimits kSmall{8, 64, "test file"};

TEST(LineReader, SplitsLinesAsTheOldReadersDid) {
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"\n", {""}},
        {"x\r\r\n", {"x\r"}}, // only the carriage return before the line feed goes
        {"tab\there\n", {"tab\there"}},
        {"12345678\n12345678\r\n", {"12345678", "12345678"}}, // exactly at the cap, either line end
    };
    for (const auto& c : cases) {
        Read r = readFile(c.text, kSmall);
        EXPECT_EQ(r.error, "") << c.text;
        EXPECT_EQ(r.lines, c.lines) << c.text;
    }
}

TEST(LineReader, LinesLongerThanOneChunkArriveWhole) {
    const std::string a(100000, 'a'), b(70000, 'b');
    Read r = readFile(a + "\n" + b + "\r\nc", {200000, 1u << 20, "test file"});
    EXPECT_EQ(r.error, "");
    ASSERT_EQ(r.lines.size(), 3u);
    EXPECT_EQ(r.lines[0], a);
    EXPECT_EQ(r.lines[1], b);
    EXPECT_EQ(r.lines[2], "c");
}

TEST(LineReader, RefusalsSayWhatIsWrong) {
    struct Case {
        std::string text;
        std::string says;
        size_t linesBefore;
    } cases[] = {
        {"ok\n123456789\n", "line 2: longer than 8 characters", 1},
        {"123456789", "line 1: longer than 8 characters", 0},
        {std::string(65, '\n'), "is larger than 64 bytes, the most a test file may hold", 0},
    };
    for (const auto& c : cases) {
        Read r = readFile(c.text, kSmall);
        EXPECT_NE(r.error.find(c.says), std::string::npos) << r.error;
        EXPECT_EQ(r.error.find("test file"), 0u) << r.error;
        EXPECT_EQ(r.lines.size(), c.linesBefore);
    }
}

TEST(LineReader, AFolderIsNotReadAsAnEmptyFile) {
    LineReader in;
    const fs::path dir = fs::temp_directory_path();
    EXPECT_FALSE(in.open(dir.string(), kSmall));
    EXPECT_NE(in.error().find("is a folder, not a file"), std::string::npos) << in.error();
    std::string line;
    EXPECT_EQ(in.next(line), LineReader::Result::Error);

    LineReader missing;
    EXPECT_FALSE(missing.open("/nonexistent/file", kSmall));
    EXPECT_NE(missing.error().find("cannot be read"), std::string::npos) << missing.error();
}

TEST(LineReader, AStreamOverTheSizeCapIsCutOff) {
    // A pipe has no size to check up front: the cap is counted while reading.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const std::string text = std::string(40, 'x') + "\n" + std::string(40, 'y') + "\n";
    ASSERT_EQ(::write(fds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::close(fds[1]);
    LineReader in;
    ASSERT_TRUE(in.attach(fds[0], "standard input", {100, 64, "description"}));
    Read r = readAll(in);
    ::close(fds[0]);
    EXPECT_NE(r.error.find("description standard input is larger than 64 bytes"), std::string::npos)
        << r.error;
}

TEST(ClipForMessage, ShortensAndEscapes) {
    struct Case {
        std::string in;
        size_t max;
        std::string out;
    } cases[] = {
        {"plain", 40, "plain"},
        {"a\tb\nc\rd\\e", 40, "a\\tb\\nc\\rd\\\\e"},
        {std::string("nul\0x\x7f", 6), 40, "nul\\x00x\\x7F"},
        {"abcdefgh", 5, "abcde…"},
        {"abcde", 5, "abcde"},
        {"ab\xc3\xa9z", 3, "ab\xc3\xa9…"}, // not cut inside a character
    };
    for (const auto& c : cases)
        EXPECT_EQ(korvane::clipForMessage(c.in, c.max), c.out) << c.in;
    EXPECT_EQ(korvane::clipForMessage(std::string(100000000, 'z')).size(), 40u + std::string("…").size());
}

TEST(ScriptFile, AFolderOrAnOverlongLineIsRefused) {
    std::vector<ScriptStep> steps;
    std::string error;
    EXPECT_FALSE(readScriptFile(fs::temp_directory_path().string(), steps, error));
    EXPECT_NE(error.find("is a folder"), std::string::npos) << error;

    const fs::path p = tempFile("set 9221=1\n" + std::string(5000, 'x') + "\n");
    error.clear();
    EXPECT_FALSE(readScriptFile(p.string(), steps, error));
    EXPECT_NE(error.find("line 2: longer than 4096 characters"), std::string::npos) << error;
    fs::remove(p);

    // A step quoted in a message is cut short.
    const fs::path q = tempFile("set 9221\n\nbogus " + std::string(3000, 'y') + "\n");
    steps.clear();
    EXPECT_FALSE(readScriptFile(q.string(), steps, error));
    EXPECT_NE(error.find("line 1"), std::string::npos) << error;
    EXPECT_LT(error.size(), 300u) << error;
    const fs::path r = tempFile("# steps\r\nset 2:9225=0.5\r\n\r\nbogus " + std::string(3000, 'y') + "\r\n");
    EXPECT_FALSE(readScriptFile(r.string(), steps, error));
    EXPECT_NE(error.find("line 4"), std::string::npos) << error;
    EXPECT_LT(error.size(), 300u) << error;
    fs::remove(q);
    fs::remove(r);
}

} // namespace
