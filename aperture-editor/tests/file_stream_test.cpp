// The file reader takes lines in place from a large buffer and reads each line's fields in one sweep;
// the save is streamed in pieces. Both must behave exactly as reading and writing line by line would:
// the same values, the same refusals with the same line numbers, the same bytes.
#include "lumbra/document.h"
#include "test_files.h"

#include <gtest/gtest.h>

using namespace lumbra;
using namespace lumbra::testing;

namespace {

const std::string H = "$CustomApertureData\n";

class StreamFile : public ::testing::Test {
  protected:
    RecordingMessages msgs;
    ScriptedChooser chooser;
    CLumbraDoc doc{msgs, &chooser};
    std::vector<std::string> made;
    void SetUp() override { doc.OnNewDocument(); }
    void TearDown() override {
        for (auto& p : made)
            std::remove(p.c_str());
    }
    std::string file(const std::string& text) {
        made.push_back(writeTemp("stream", text));
        return made.back();
    }
    // Circle lines enough to fill several read buffers and save pieces.
    static std::string circles(int n, int salt) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += "14 1 " + hexWord(i + salt) + " " + hexWord(-i) + " " + hexWord(i * 7) + " 0\n";
        return s;
    }
};

struct FieldCase {
    const char* what;
    std::string line;    // the one primitive line of a one-circle aperture
    std::int32_t size;   // its diameter when taken
    const char* refusal; // else: part of the message
};

class FieldForms : public StreamFile, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(FieldForms, AreTakenOrRefusedAsFieldByField) {
    const FieldCase& c = GetParam();
    bool opened = doc.OnOpenDocument(file(H + "p 0 0\n1\n" + c.line + "\n"));
    if (c.refusal) {
        EXPECT_FALSE(opened);
        ASSERT_EQ(msgs.messages.size(), 1u);
        EXPECT_NE(msgs.messages[0].find(c.refusal), std::string::npos) << msgs.messages[0];
        return;
    }
    ASSERT_TRUE(opened) << (msgs.messages.empty() ? "" : msgs.messages[0]);
    ASSERT_EQ(doc.aperture().count(), 1);
    EXPECT_EQ(doc.aperture().at(0)->size, c.size);
    EXPECT_EQ(doc.aperture().at(0)->toolWord, 0x102);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FieldForms,
    ::testing::Values(
        FieldCase{"upperCase", "14 1 A 0 0 102", 10, nullptr},
        FieldCase{"tabs", "14\t1\t\ta\t0 \t0\t102", 10, nullptr},
        FieldCase{"leadingBlanksAndExtraWords", "   14 1 a 0 0 102 extra words", 10, nullptr},
        FieldCase{"minusSign", "14 1 -a 0 0 102", -10, nullptr},
        FieldCase{"plusSign", "14 1 +a 0 0 102", 10, nullptr},
        FieldCase{"leadingZeros", "14 1 00000000000a 0 0 102", 10, nullptr},
        FieldCase{"allOnes", "14 1 ffffffff 0 0 102", -1, nullptr},
        FieldCase{"carriageReturn", "14 1 a 0 0 102\r", 10, nullptr},
        FieldCase{"trailingSign", "14 1 a- 0 0 102", 0, "line 4: \"a-\" is not a hexadecimal number"},
        FieldCase{"signAlone", "14 1 - 0 0 102", 0, "line 4: \"-\" is not a hexadecimal number"},
        FieldCase{"twoSigns", "14 1 +-1 0 0 102", 0, "line 4: \"+-1\" is not a hexadecimal number"},
        FieldCase{"prefix", "14 1 0x10 0 0 102", 0, "line 4: \"0x10\" is not a hexadecimal number"},
        FieldCase{"nineDigits", "14 1 100000000 0 0 102", 0, "line 4: \"100000000\" is not"},
        FieldCase{"otherBlank", "14 1 a\v 0 0 102", 0, "line 4: \"a\v\" is not"},
        FieldCase{"zeroByte", std::string("14 1 a\0 0 0 102", 15), 0, "line 4: \"a"},
        FieldCase{"fewValuesBeforeABadOne", "14 zz 1", 0, "line 4: expected 6 values, found 3"},
        FieldCase{"badType", "1g 1 a 0 0 102", 0, "line 4: expected a primitive line"}),
    [](const auto& p) { return std::string(p.param.what); });

TEST_F(StreamFile, LinesAcrossAndBeyondTheReadBufferKeepTheirNumbers) {
    // 60000 lines (more than one buffer), a comment of 3 MB, then a fault whose line is named.
    std::string body = circles(60000, 1);
    std::string text = H + "p 0 0\n60001\n" + body + "#" + std::string(3 << 20, 'c') + "\n14 1 zz 0 0 0\n";
    EXPECT_FALSE(doc.OnOpenDocument(file(text)));
    ASSERT_EQ(msgs.messages.size(), 1u);
    EXPECT_NE(msgs.messages[0].find("line 60005: \"zz\""), std::string::npos) << msgs.messages[0];

    // The same without the fault opens, and a last line without its line feed counts.
    msgs.messages.clear();
    std::string good = H + "p 0 0\n60001\n" + body + "#" + std::string(3 << 20, 'c') + "\n14 1 5 0 0 0";
    ASSERT_TRUE(doc.OnOpenDocument(file(good)));
    ASSERT_EQ(doc.aperture().count(), 60001);
    EXPECT_EQ(doc.aperture().at(60000)->size, 5);
    EXPECT_EQ(doc.aperture().at(59999)->centre, (Point{-59999, 59999 * 7}));

    // A line of 3 MB that is not a comment is refused, named by its number.
    EXPECT_FALSE(doc.OnOpenDocument(file(H + "p 0 0\n2\n14 1 5 0 0 0\n" + std::string(3 << 20, '1') + "\n")));
    ASSERT_EQ(msgs.messages.size(), 1u);
    EXPECT_NE(msgs.messages[0].find("line 5: line is longer than 255"), std::string::npos)
        << msgs.messages[0];
}

TEST_F(StreamFile, ChosenApertureIsReadFromItsPlaceAfterOnePass) {
    // The first aperture spans several buffers; the chosen ones sit after it, between comments.
    std::string text = H + "big 0 0\n50000\n" + circles(50000, 3) + "# between\nmid 1 2\n1\n14 1 7 1 1 0\n" +
                       "# more\n\nlast a b\n2\n14 0 9 2 2 0\n28 1 1 0\n5 6\n7 8\n";
    std::string path = file(text);
    chooser.answer = 2;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(doc.aperture().name(), "last");
    ASSERT_EQ(doc.aperture().count(), 2);
    EXPECT_EQ(doc.aperture().at(0)->size, 9);
    EXPECT_EQ(doc.aperture().at(1)->vertices, (std::vector<Point>{{5, 6}, {7, 8}}));
    chooser.answer = 1;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(doc.aperture().name(), "mid");
    chooser.answer = 0;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(doc.aperture().count(), 50000);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(StreamFile, StreamedSaveWritesTheSameBytesAndStopsWhenRefused) {
    std::string path = file(H + "pad 0 0\n70000\n" + circles(60000, 9) + "28 1 2 0\n1 1\nfffffffe 2\n1 1\n" +
                            std::string() + [] {
                                std::string arcs;
                                for (int i = 0; i < 9999; ++i)
                                    arcs += "32 1 0 e10 64 a " + hexWord(i) + " 0 64 0 64 0 0\n";
                                return arcs;
                            }());
    ASSERT_TRUE(doc.OnOpenDocument(path)) << (msgs.messages.empty() ? "" : msgs.messages[0]);
    std::string whole = writeApertureText(doc.aperture());
    ASSERT_GT(whole.size(), 1u << 20); // several pieces
    std::string saved = path + ".saved";
    made.push_back(saved);
    ASSERT_TRUE(doc.OnSaveDocument(saved));
    EXPECT_EQ(readAll(saved), whole);

    int pieces = 0;
    std::string got;
    EXPECT_FALSE(writeAperture(doc.aperture(), [&](std::string_view piece) {
        got.append(piece);
        return ++pieces < 2;
    }));
    EXPECT_EQ(pieces, 2); // nothing more was offered after the refusal
    EXPECT_EQ(whole.compare(0, got.size(), got), 0);
}

} // namespace
