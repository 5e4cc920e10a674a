#include "itemformat/io_textstream.h"

#include <gtest/gtest.h>

namespace {

// What a text reads as, gathered in an unnamed list.
IO_ItemList& ReadAllOf(const std::string& text, bool* ok = nullptr, std::string* error = nullptr) {
    static std::unique_ptr<IO_ItemList> last;
    IO_TextStream in = IO_TextStream::FromText(text);
    last = std::make_unique<IO_ItemList>("");
    IO_ItemList& all = *last;
    bool good = in.ReadAll(all);
    if (ok) *ok = good;
    if (error) *error = in.GetError();
    return all;
}

std::string Written(const IO_ItemList& all) {
    IO_TextStream out;
    for (const auto& item : all.Items())
        out.Write(*item);
    return out.GetText();
}

TEST(ItemReading, EveryKindReadsBackAsWritten) {
    IO_ItemList top("Top");
    top.Add<IO_Int>("i", -7);
    top.Add<IO_Double>("r", -1.25e-30);
    top.Add<IO_IntArray>("ia", std::vector<long>{5, -6});
    top.Add<IO_DoubleArray>("ra", std::vector<double>{1e100, 0});
    top.Add<IO_AsciiStr>("a", std::string("a \"quoted\" \\ text\nand a second line"));
    top.Add<IO_AsciiStr>("n", std::nullopt);
    top.Add<IO_ResStr>("res", std::string("{braces}"));
    top.Add<IO_ExtendedType>("x", "Angle", '<', std::string("<45>\n"));
    std::vector<uint8_t> all(256);
    for (int b = 0; b < 256; ++b)
        all[b] = static_cast<uint8_t>(b);
    top.Add<IO_Memory>("m", all);
    top.Add<IO_Memory>("m0", std::nullopt);
    top.Add<IO_ItemList>("sub").Add<IO_Int>("deep", 3);

    IO_TextStream out;
    out.Write(top);
    bool ok = false;
    const IO_ItemList& back = ReadAllOf(out.GetText(), &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(back.GetCount(), 1u);
    const auto& list = static_cast<const IO_ItemList&>(back.GetAt(0));
    ASSERT_EQ(list.GetKind(), IO_Item::Kind::List);
    ASSERT_EQ(list.GetCount(), top.GetCount());
    for (size_t k = 0; k < list.GetCount(); ++k) {
        EXPECT_EQ(list.GetAt(k).GetName(), top.GetAt(k).GetName());
        EXPECT_EQ(list.GetAt(k).GetTypeToken(), top.GetAt(k).GetTypeToken());
    }
    long i = 0;
    double r = 0;
    std::string a;
    EXPECT_TRUE(list.GetLong("i", i));
    EXPECT_EQ(i, -7);
    EXPECT_TRUE(list.GetDouble("r", r));
    EXPECT_DOUBLE_EQ(r, -1.25e-30);
    EXPECT_TRUE(list.GetText("a", a));
    EXPECT_EQ(a, "a \"quoted\" \\ text\nand a second line");
    EXPECT_TRUE(static_cast<const IO_AsciiStr*>(list.Find("n"))->IsNull());
    EXPECT_TRUE(list.GetText("res", a));
    EXPECT_EQ(a, "{braces}");
    auto* x = static_cast<const IO_ExtendedType*>(list.Find("x"));
    EXPECT_EQ(x->GetDelimiter(), '<');
    EXPECT_EQ(x->GetText(), "<45>\n");
    EXPECT_EQ(static_cast<const IO_Memory*>(list.Find("m"))->GetBytes(), all);
    EXPECT_TRUE(static_cast<const IO_Memory*>(list.Find("m0"))->IsNull());
    EXPECT_EQ(static_cast<const IO_IntArray*>(list.Find("ia"))->GetValues(), (std::vector<long>{5, -6}));
    EXPECT_EQ(static_cast<const IO_DoubleArray*>(list.Find("ra"))->GetValues(),
              (std::vector<double>{1e100, 0}));
    // Writing what was read gives the same text.
    EXPECT_EQ(Written(back), out.GetText());
}

TEST(ItemReading, AnyWhiteSpaceSeparatesTokens) {
    const IO_ItemList& all = ReadAllOf("L\t{\n\tv r\t1.5e+003 n i\n\n-2 t A\t\"x y\"\n}  M i 4");
    ASSERT_EQ(all.GetCount(), 2u);
    const auto& list = static_cast<const IO_ItemList&>(all.GetAt(0));
    double v = 0;
    long n = 0;
    std::string t;
    EXPECT_TRUE(list.GetDouble("v", v));
    EXPECT_EQ(v, 1500);
    EXPECT_TRUE(list.GetLong("n", n));
    EXPECT_EQ(n, -2);
    EXPECT_TRUE(list.GetText("t", t));
    EXPECT_EQ(t, "x y");
    EXPECT_EQ(all.GetAt(1).GetName(), "M");
}

TEST(ItemReading, TextPiecesJoinOnlyAcrossLineBreaks) {
    // A piece opened again on the same line is not a continuation: it is the next item's name.
    const IO_ItemList& all = ReadAllOf("L {\n a A \"one\"\n     \"two\"\n b A \"x\" c A \"y\" }");
    const auto& list = static_cast<const IO_ItemList&>(all.GetAt(0));
    std::string s;
    ASSERT_TRUE(list.GetText("a", s));
    EXPECT_EQ(s, "one\ntwo");
    ASSERT_TRUE(list.GetText("c", s));
    EXPECT_EQ(s, "y");
}

TEST(ItemReading, AnUnclosedListAtTheEndOfTheTextKeepsItsItems) {
    bool ok = false;
    const IO_ItemList& all = ReadAllOf("L {\n a i 1\n b i 2\n", &ok);
    EXPECT_TRUE(ok);
    ASSERT_EQ(all.GetCount(), 1u);
    EXPECT_EQ(static_cast<const IO_ItemList&>(all.GetAt(0)).GetCount(), 2u);
}

TEST(ItemReading, AValueThatDoesNotParseStopsReadingAndKeepsWhatCameBefore) {
    bool ok = true;
    std::string error;
    const IO_ItemList& all =
        ReadAllOf("First i 1\r\nL\r\n{\r\n  a i 2\r\n  b i two\r\n  c i 3\r\n}\r\nLast i 4\r\n", &ok, &error);
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, "line 5: \"b\": \"two\" is not an integer");
    ASSERT_EQ(all.GetCount(), 2u);
    const auto& list = static_cast<const IO_ItemList&>(all.GetAt(1));
    ASSERT_EQ(list.GetCount(), 1u);
    EXPECT_EQ(list.GetAt(0).GetName(), "a");
}

struct BadCase {
    const char* label;
    const char* text;
    const char* error; // a piece of the message
};

class MalformedItems : public testing::TestWithParam<BadCase> {};

TEST_P(MalformedItems, FailWithAMessageAndNoItem) {
    IO_TextStream in = IO_TextStream::FromText(GetParam().text);
    std::unique_ptr<IO_Item> item = in.ReadItem();
    EXPECT_TRUE(in.IsFailed());
    EXPECT_EQ(item, nullptr);
    EXPECT_NE(in.GetError().find(GetParam().error), std::string::npos) << in.GetError();
    // A failed stream reads nothing more.
    EXPECT_EQ(in.ReadItem(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedItems,
    testing::Values(BadCase{"noType", "lonely", "has no type"}, BadCase{"noValue", "x i", "value is missing"},
                    BadCase{"intWithTail", "x i 12abc", "not an integer"},
                    BadCase{"intTooLarge", "x i 99999999999999999999999", "not an integer"},
                    BadCase{"realNotANumber", "x r 1.5.5", "not a number"},
                    BadCase{"negativeCount", "x i: -1 4", "not a count"},
                    BadCase{"hugeCount", "x i: 18446744073709551616", "too large"},
                    BadCase{"countLargerThanValues", "x r: 1000000000 1 2", "2 of 1000000000"},
                    BadCase{"arrayValue", "x i: 2 1 z", "not a number"},
                    BadCase{"unquotedText", "x A hello", "must start with a delimiter"},
                    BadCase{"unclosedText", "x A \"abc", "not closed"},
                    BadCase{"danglingEscape", "x A \"abc\\", "not closed"},
                    BadCase{"typedWithBackslash", "x Tag \\abc\\", "must start with a delimiter"},
                    BadCase{"typedWithClosingBrace", "x Tag }abc}", "must start with a delimiter"},
                    BadCase{"memoryLetterOutOfRange", "x M \"Za\"", "damaged"},
                    BadCase{"memorySecondLetter", "x M \"AZ\"", "damaged"},
                    BadCase{"memoryHalfPair", "x M \"A", "damaged"},
                    BadCase{"memoryStray", "x M \"Aa Ab\"", "damaged"},
                    BadCase{"memoryUnclosed", "x M \"AaAb", "not closed"}),
    [](const auto& tp) { return std::string(tp.param.label); });

TEST(ItemReading, DeepNestingIsRefusedWithoutExhaustingTheStack) {
    std::string text;
    for (int k = 0; k < 100000; ++k)
        text += "a { ";
    bool ok = true;
    std::string error;
    ReadAllOf(text, &ok, &error);
    EXPECT_FALSE(ok);
    EXPECT_NE(error.find("nested too deeply"), std::string::npos);

    std::string fits;
    for (int k = 0; k < IO_TextStream::kMaxDepth; ++k)
        fits += "a { ";
    ReadAllOf(fits + "n i 1", &ok);
    EXPECT_TRUE(ok);
    ReadAllOf("a { " + fits + "n i 1", &ok);
    EXPECT_FALSE(ok);
}

TEST(ItemReading, MemoryBreaksAreSkippedAnywhereBetweenPairs) {
    IO_TextStream out;
    out.Write(IO_Memory("m", std::vector<uint8_t>{1, 2, 3}));
    std::string text = out.GetText();
    // Put a CR LF and a lone LF between the pairs.
    text.insert(7, "\r\n");
    text.insert(11, "\n");
    const IO_ItemList& all = ReadAllOf(text);
    ASSERT_EQ(all.GetCount(), 1u);
    EXPECT_EQ(static_cast<const IO_Memory&>(all.GetAt(0)).GetBytes(), (std::vector<uint8_t>{1, 2, 3}));
}

} // namespace
