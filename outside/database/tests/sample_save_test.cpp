// The sample database is saved as every file is: through links, never over a special file.
#include "database/Database.h"
#include "database/Sample.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

TEST(SampleSave, FollowsLinksKeepsTheModeAndRefusesSpecialFiles) {
    const fs::path dir = fs::temp_directory_path() / ("sample-save-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    korvane_db::SampleOptions o;
    o.components = 50;

    korvane_db::WriteSampleDatabase((dir / "real.db").string(), o);
    ASSERT_EQ(::chmod((dir / "real.db").c_str(), 0600), 0);
    fs::create_symlink("real.db", dir / "link.db");
    korvane_db::WriteSampleDatabase((dir / "link.db").string(), o);
    EXPECT_TRUE(fs::is_symlink(dir / "link.db"));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "real.db")));
    EXPECT_EQ(fs::status(dir / "real.db").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    ASSERT_EQ(::mkfifo((dir / "fifo.db").c_str(), 0644), 0);
    fs::create_directory(dir / "folder.db");
    for (const char* name : {"fifo.db", "folder.db", "gone/x.db"}) {
        try {
            korvane_db::WriteSampleDatabase((dir / name).string(), o);
            ADD_FAILURE() << name << " was written";
        } catch (const CDatabaseException& e) {
            char message[512];
            e.GetErrorMessage(message, sizeof message);
            EXPECT_NE(std::string(message).find("cannot be written"), std::string::npos) << message;
        }
    }
    EXPECT_TRUE(fs::is_fifo(dir / "fifo.db"));
    EXPECT_TRUE(fs::is_directory(dir / "folder.db"));
    // real.db, link.db, fifo.db, folder.db: no part file left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 4);
    fs::remove_all(dir);
}

} // namespace
