#include "lumbra/document.h"
#include "lumbra/units.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace lumbra;
using namespace lumbra::testing;

namespace {

const char* kTwoApertures = "leading junk\n"
                            "$customaperturedata\n"
                            "# a comment\n"
                            "first 3e030 1e848\n"
                            "2\n"
                            "28 1 3 0\n"
                            "fffffff6 fffffff6\n"
                            "a fffffff6\n"
                            "# comments may sit between vertex lines\n"
                            "0 a\n"
                            "fffffff6 fffffff6\n"
                            "14 1 64 0 0 0\n"
                            "second 0 0\n"
                            "3\n"
                            "14 2 186a0 30d40 0 102\n"
                            "1e 1 a fffe7960 0 186a0 fffffff0 0\n"
                            "32 0 0 e10 64 a 0 0 64 0 64 0 0\n"
                            "$END of data\n"
                            "ignored 0 0\n";

} // namespace

class DocFile : public ::testing::Test {
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
        made.push_back(writeTemp("ap", text));
        return made.back();
    }
};

TEST_F(DocFile, SecondApertureLoadsPastTheFirstPolygonsVertexLines) {
    chooser.answer = 1;
    ASSERT_TRUE(doc.OnOpenDocument(file(kTwoApertures)));
    EXPECT_EQ(chooser.calls, 1);
    EXPECT_EQ(chooser.rowsSeen, 2u);
    ASSERT_EQ(doc.catalog().size(), 2u);
    EXPECT_EQ(doc.catalog()[0].name, "first");
    EXPECT_NEAR(doc.catalog()[0].xSize, 0.1, 1e-9); // 0x3e030 = 254000 units
    const ApertureRecord& a = doc.aperture();
    EXPECT_EQ(a.name(), "second");
    ASSERT_EQ(a.count(), 3);
    EXPECT_EQ(a.at(0)->type, AP_CIRCLE);
    EXPECT_EQ(a.at(0)->polarity, 2);
    EXPECT_EQ(a.at(0)->toolWord, 0x102);
    EXPECT_EQ(a.at(0)->centre, (Point{200000, 0}));
    EXPECT_EQ(a.at(1)->start, (Point{-100000, 0}));
    EXPECT_EQ(a.at(1)->end, (Point{100000, -16}));
    EXPECT_EQ(a.at(2)->sweep, 3600);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(msgs.messages.empty());
}

TEST_F(DocFile, RoundTripOfNegativeCoordinatesAndPolygons) {
    chooser.answer = 0;
    ASSERT_TRUE(doc.OnOpenDocument(file(kTwoApertures)));
    ASSERT_EQ(doc.aperture().name(), "first");
    doc.aperture().append(PrimitiveRecord::circle(5, {-1, INT32_MIN}));
    std::string out = tempPath("out");
    made.push_back(out);
    ASSERT_TRUE(doc.OnSaveDocument(out));
    EXPECT_FALSE(doc.IsModified());
    std::string text = readAll(out);
    // Sizes are recomputed: the circle at INT32_MIN dominates Y and clamps to the 32-bit range.
    EXPECT_EQ(text.substr(0, text.find('\n', 20) + 1), "$CustomApertureData\nfirst 64 7fffffff\n");
    EXPECT_NE(text.find("\n28 1 3 0\nfffffff6 fffffff6\na fffffff6\n0 a\nfffffff6 fffffff6\n"),
              std::string::npos);
    EXPECT_NE(text.find("\n14 1 5 ffffffff 80000000 0\n"), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);

    CLumbraDoc again(msgs);
    ASSERT_TRUE(again.OnOpenDocument(out));
    ASSERT_EQ(again.aperture().count(), 3);
    EXPECT_EQ(again.aperture().at(0)->vertices, doc.aperture().at(0)->vertices);
    EXPECT_EQ(again.aperture().at(2)->centre, (Point{-1, INT32_MIN}));
    EXPECT_EQ(again.Serialize(), text);
}

TEST_F(DocFile, EmptyApertureSavesHeaderNameZeroSizesAndCount) {
    doc.aperture().reset("blank", 0, 0);
    EXPECT_EQ(doc.Serialize(), "$CustomApertureData\nblank 0 0\n0\n");
}

TEST_F(DocFile, ChooserCancelOrNoApertureKeepsTheCurrentOne) {
    doc.aperture().append(PrimitiveRecord::circle(1, {0, 0}));
    chooser.answer = -1;
    EXPECT_FALSE(doc.OnOpenDocument(file(kTwoApertures)));
    EXPECT_FALSE(doc.OnOpenDocument(file("no header here\n")));
    EXPECT_FALSE(doc.OnOpenDocument(file("$CustomApertureData\n# only a comment\n$End\n")));
    EXPECT_FALSE(doc.OnOpenDocument(file("")));
    EXPECT_EQ(doc.aperture().count(), 1);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(msgs.messages.empty()); // these cases say nothing
    EXPECT_FALSE(doc.OnOpenDocument("/nonexistent/dir/file"));
    EXPECT_EQ(msgs.messages.size(), 1u);
    EXPECT_FALSE(doc.OnOpenDocument("/tmp")); // opens, but cannot be read: said, not silent
    EXPECT_EQ(msgs.messages.size(), 2u);
    EXPECT_EQ(doc.aperture().count(), 1);
}

TEST_F(DocFile, CarriageReturnsAndBlankLinesAreTolerated) {
    ASSERT_TRUE(doc.OnOpenDocument(file("$CustomApertureData\r\npad 0 0\r\n\r\n1\r\n14 1 a 0 0 0\r\n")));
    EXPECT_EQ(doc.aperture().at(0)->size, 10);
}

struct BadFile {
    const char* what;
    std::string text;
    const char* expect; // part of the message, including the line
};

class MalformedFile : public DocFile, public ::testing::WithParamInterface<BadFile> {};

TEST_P(MalformedFile, IsRefusedWithALineNumberAndKeepsTheAperture) {
    doc.aperture().append(PrimitiveRecord::circle(1, {0, 0}));
    chooser.answer = 0;
    EXPECT_FALSE(doc.OnOpenDocument(file(GetParam().text)));
    EXPECT_EQ(doc.aperture().count(), 1);
    EXPECT_EQ(doc.aperture().name(), "untitled");
    ASSERT_EQ(msgs.messages.size(), 1u);
    EXPECT_NE(msgs.messages[0].find(GetParam().expect), std::string::npos) << msgs.messages[0];
}

const std::string H = "$CustomApertureData\n";
INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedFile,
    ::testing::Values(
        BadFile{"truncated", H + "p 0 0\n3\n14 1 a 0 0 0\n", "line 4: the file ends inside aperture \"p\""},
        BadFile{"endInside", H + "p 0 0\n2\n14 1 a 0 0 0\n$End\n", "line 5: the file ends inside"},
        BadFile{"hugeCount", H + "p 0 0\n2147483647\n14 1 a 0 0 0\n", "ends inside"},
        BadFile{"countTooBig", H + "p 0 0\n99999999999\n", "line 3: expected the decimal count"},
        BadFile{"negativeCount", H + "p 0 0\n-1\n", "line 3: expected the decimal count"},
        BadFile{"hexCount", H + "p 0 0\n1a\n", "line 3"},
        BadFile{"badNumber", H + "p 0 0\n1\n14 1 zz 0 0 0\n", "line 4: \"zz\" is not a hexadecimal"},
        BadFile{"tooWide", H + "p 0 0\n1\n14 1 100000000 0 0 0\n", "line 4"},
        BadFile{"fewValues", H + "p 0 0\n1\n1e 1 a 0 0\n", "line 4: expected 8 values, found 5"},
        BadFile{"unknownType", H + "p 0 0\n1\n15 1 a 0 0 0\n", "line 4: unknown primitive type 15"},
        BadFile{"noSizes", H + "p\n0\n", "line 2: expected an aperture name"},
        BadFile{"polygonNegative", H + "p 0 0\n1\n28 1 ffffffff 0\n", "line 4: a polygon cannot"},
        BadFile{"polygonHugeN", H + "p 0 0\n1\n28 1 7fffffff 0\n0 0\n0 0\n", "line 6: the file ends inside"},
        BadFile{"vertexShort", H + "p 0 0\n1\n28 1 1 0\n0 0\n5\n", "line 6: expected 2 values"},
        BadFile{"longLine", H + "p 0 0\n1\n14 1 a 0 0 0" + std::string(300, ' ') + "\n",
                "line 4: line is longer"},
        BadFile{"controlInName", H + "p\x01q 0 0\n0\n", "line 2: the aperture name"},
        // A fault in an aperture not chosen still refuses the file: it is not what it claims to be.
        BadFile{"laterApertureBroken", H + "p 0 0\n0\nq 0 0\n1\n14\n", "line 6: expected 6 values"}),
    [](const auto& p) { return std::string(p.param.what); });

TEST_F(DocFile, LongCommentsAndLongLinesBeforeTheHeaderAreSkipped) {
    std::string t = std::string(5000, 'x') + "\n" + H + "#" + std::string(1000, 'c') + "\np 0 0\n0\n";
    EXPECT_TRUE(doc.OnOpenDocument(file(t)));
    EXPECT_EQ(doc.aperture().name(), "p");
}

TEST_F(DocFile, MoreThan998AperturesListsTheFirst998AndSaysSo) {
    std::string t = H;
    for (int i = 0; i < 1000; ++i)
        t += "a" + std::to_string(i) + " 0 0\n0\n";
    chooser.answer = 997;
    ASSERT_TRUE(doc.OnOpenDocument(file(t)));
    EXPECT_EQ(chooser.rowsSeen, 998u);
    EXPECT_EQ(doc.aperture().name(), "a997");
    ASSERT_EQ(msgs.messages.size(), 1u);
    EXPECT_NE(msgs.messages[0].find("1000 apertures"), std::string::npos);
}

TEST_F(DocFile, NameTooLongToReadBackIsNotSaved) {
    std::string target = tempPath("longname");
    made.push_back(target);
    ASSERT_TRUE(doc.OnSaveDocument(target));
    std::string before = readAll(target);
    doc.aperture().reset(std::string(253, 'n'), 0.1, 0.1); // "253n 0 0" is 257 characters
    doc.aperture().append(PrimitiveRecord::circle(1, {0, 0}));
    EXPECT_FALSE(doc.OnSaveDocument(target));
    EXPECT_EQ(readAll(target), before);
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(msgs.messages.size(), 1u);
    EXPECT_NE(msgs.messages[0].find("too long"), std::string::npos);
    // A name that still fits saves and reads back.
    doc.aperture().reset(std::string(200, 'n'), 0.1, 0.1);
    ASSERT_TRUE(doc.OnSaveDocument(target));
    CLumbraDoc again{msgs, &chooser};
    chooser.answer = 0;
    ASSERT_TRUE(again.OnOpenDocument(target));
    EXPECT_EQ(again.aperture().name(), std::string(200, 'n'));
}

TEST_F(DocFile, NamesTheReaderWouldSkipOrStopAtAreNotSaved) {
    std::string target = tempPath("oddname");
    made.push_back(target);
    ASSERT_TRUE(doc.OnSaveDocument(target));
    std::string before = readAll(target);
    for (const char* name : {"#pad", "$end", "$ENDpad"}) {
        doc.aperture().reset(name, 0.1, 0.1);
        EXPECT_FALSE(doc.OnSaveDocument(target)) << name;
        EXPECT_EQ(readAll(target), before) << name;
    }
    EXPECT_EQ(msgs.messages.size(), 3u);
    doc.aperture().reset("pad#1$End", 0.1, 0.1); // only the start of the line matters
    EXPECT_TRUE(doc.OnSaveDocument(target));
}

TEST_F(DocFile, FailedSaveLeavesTheOldFileWhole) {
    // Root writes into read-only folders, so the failure cannot be provoked this way.
    if (::geteuid() == 0) GTEST_SKIP() << "needs a user that folder permissions apply to";
    std::string dir = tempPath("dir");
    ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
    std::string target = dir + "/pad.apt";
    ASSERT_TRUE(doc.OnSaveDocument(target));
    std::string before = readAll(target);
    doc.aperture().append(PrimitiveRecord::circle(1, {0, 0}));
    ::chmod(dir.c_str(), 0555); // nothing can be written beside the file
    bool saved = doc.OnSaveDocument(target);
    ::chmod(dir.c_str(), 0755);
    EXPECT_FALSE(saved);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(readAll(target), before);
    EXPECT_EQ(msgs.messages.size(), 1u);
    std::remove(target.c_str());
    ::rmdir(dir.c_str());
}

TEST(LumbraTool, CatalogAndConvert) {
    std::string in = writeTemp("tool-in", kTwoApertures);
    std::string out = tempPath("tool-out");
    std::string listing = tempPath("tool-list");
    std::string tool = LUMBRA_TOOL;
    ASSERT_EQ(std::system((tool + " catalog " + in + " > " + listing).c_str()), 0);
    EXPECT_EQ(readAll(listing), "first\t0.10000\t0.04921\nsecond\t0.00000\t0.00000\n");
    ASSERT_EQ(std::system((tool + " convert " + in + " 2 " + out + " 2>/dev/null").c_str()), 0);
    std::string saved = readAll(out);
    EXPECT_EQ(saved.substr(0, saved.find('\n', 20)), "$CustomApertureData\nsecond 7a120 186a0");
    EXPECT_NE(std::system((tool + " convert " + in + " 3 " + out + " 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((tool + " convert /nonexistent 1 " + out + " 2>/dev/null").c_str()), 0);
    for (auto* p : {&in, &out, &listing})
        std::remove(p->c_str());
}

namespace {

struct ToolRun {
    int status = -1;
    std::string out, err;
};

ToolRun runTool(const std::string& args) {
    const std::string out = tempPath("tool-stdout"), err = tempPath("tool-stderr");
    const int raw = std::system((std::string(LUMBRA_TOOL) + " " + args + " >" + out + " 2>" + err).c_str());
    ToolRun r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = readAll(out);
    r.err = readAll(err);
    std::remove(out.c_str());
    std::remove(err.c_str());
    return r;
}

} // namespace

TEST(LumbraTool, CatalogOfAFileWithoutAperturesOrWithAFaultListsNothing) {
    struct Case {
        std::string text;
        std::string says;
    } cases[] = {
        {"", "holds no aperture"},
        {std::string("\x7f"
                     "ELF\x02\x01\x01") +
             std::string(3, '\0') + "binary\xff\xfe",
         "holds no aperture"},
        {"$CustomApertureData\n", "holds no aperture"},
        // The first aperture is sound, the second is not: no partial listing.
        {"$CustomApertureData\ngood 0 0\n0\nbad 0 0\n1\n14\n", "expected 6 values"},
    };
    for (const auto& c : cases) {
        const std::string in = writeTemp("catalog", c.text);
        ToolRun r = runTool("catalog " + in);
        EXPECT_EQ(r.status, 1) << c.says;
        EXPECT_EQ(r.out, "") << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        std::remove(in.c_str());
    }
}

TEST(LumbraTool, AnApertureBeyondTheListedOnesIsNotCalledMissing) {
    std::string t = "$CustomApertureData\n";
    for (int i = 0; i < 1000; ++i)
        t += "a" + std::to_string(i) + " 0 0\n0\n";
    const std::string in = writeTemp("many", t);
    const std::string out = tempPath("many-out");
    ToolRun beyond = runTool("convert " + in + " 999 " + out);
    EXPECT_EQ(beyond.status, 1);
    EXPECT_NE(beyond.err.find("aperture 999 is beyond the first 998"), std::string::npos) << beyond.err;
    EXPECT_EQ(beyond.err.find("holds no aperture"), std::string::npos) << beyond.err;
    ToolRun missing = runTool("convert " + in + " 1001 " + out);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("holds no aperture 1001"), std::string::npos) << missing.err;
    ToolRun listed = runTool("convert " + in + " 998 " + out);
    EXPECT_EQ(listed.status, 0) << listed.err;
    std::remove(in.c_str());
    std::remove(out.c_str());
}

TEST(LumbraTool, ConvertWritesThroughLinksKeepsModesAndRefusesSpecialFiles) {
    const std::string in = writeTemp("convert-in", kTwoApertures);
    const std::string dir = tempPath("convert-dir");
    ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
    const std::string real = dir + "/real.apt", link = dir + "/link.apt", fifo = dir + "/fifo.apt";
    std::ofstream(real) << "old";
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("real.apt", link.c_str()), 0);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);

    ToolRun viaLink = runTool("convert " + in + " 2 " + link);
    EXPECT_EQ(viaLink.status, 0) << viaLink.err;
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(readAll(real).rfind("$CustomApertureData\nsecond ", 0), 0u);

    ToolRun toFifo = runTool("convert " + in + " 2 " + fifo);
    EXPECT_EQ(toFifo.status, 1);
    EXPECT_NE(toFifo.err.find("is a FIFO"), std::string::npos) << toFifo.err;
    ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    ToolRun noFolder = runTool("convert " + in + " 2 " + dir + "/gone/x.apt");
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_NE(noFolder.err.find("the folder " + dir + "/gone does not exist"), std::string::npos)
        << noFolder.err;

    for (const auto& p : {real, link, fifo, in})
        std::remove(p.c_str());
    EXPECT_EQ(::rmdir(dir.c_str()), 0) << "no temporary left in the folder";
}
