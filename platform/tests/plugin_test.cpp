#include "platform/plugin.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

TEST(MakerPlugin, LoadsBothExportsAndCallsThem) {
    korvane::MakerPlugin p;
    ASSERT_TRUE(p.load(KORVANE_FAKE_MAKER)) << p.error();
    EXPECT_TRUE(p.loaded());
    EXPECT_EQ(p.name().str(), "Fake maker\nREG");
    CString text("left over");
    EXPECT_EQ(p.create(text), 1);
    EXPECT_EQ(text.str(), "* made by the fake maker\r\n");

    // Moving hands the library over; the moved-from loader holds nothing.
    korvane::MakerPlugin q = std::move(p);
    EXPECT_FALSE(p.loaded());
    EXPECT_EQ(q.name().str(), "Fake maker\nREG");
    q.unload();
    EXPECT_FALSE(q.loaded());
    CString after("kept");
    EXPECT_EQ(q.create(after), 0);
    EXPECT_EQ(after.str(), "kept");
    EXPECT_TRUE(q.name().IsEmpty());
}

TEST(MakerPlugin, FailuresNameTheFileAndTheReason) {
    const fs::path dir = fs::temp_directory_path() / ("plugin-test-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "garbage.so") << "not a shared library";
    struct Case {
        std::string path;
        std::string says;
    } cases[] = {
        {(dir / "missing.so").string(), "cannot be loaded"},
        {(dir / "garbage.so").string(), "cannot be loaded"},
        {KORVANE_HALF_MAKER, "does not export CreateModelMaker"},
    };
    for (const auto& c : cases) {
        korvane::MakerPlugin p;
        EXPECT_FALSE(p.load(c.path)) << c.path;
        EXPECT_FALSE(p.loaded());
        EXPECT_NE(p.error().find(c.path), std::string::npos) << p.error();
        EXPECT_NE(p.error().find(c.says), std::string::npos) << p.error();
    }
    // A loader that failed can load again.
    korvane::MakerPlugin p;
    EXPECT_FALSE(p.load((dir / "missing.so").string()));
    EXPECT_TRUE(p.load(KORVANE_FAKE_MAKER)) << p.error();
    EXPECT_TRUE(p.error().empty());
    fs::remove_all(dir);
}

} // namespace
