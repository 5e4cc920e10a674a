#include "database/Sample.h"

#include "database/Database.h"
#include "platform/atomic_file.h"
#include "platform/format.h"

#include <sqlite3.h>

#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane_db {

const char* const kSampleAccess[4] = {"A0", "A1", "A2", "A3"};
const char* const kSampleAccess2[2] = {"B0", "B1"};
const char* const kSampleVersion[3] = {"V6", "V7", "V8"};
const char* const kSampleMaker[6] = {"Arvel", "Corbin", "Dunmore", "Estrada", "Fallow", "Gresham"};

const char* ComponentSchemaSql() {
    return R"sql(
CREATE TABLE [SYS_FAMILY_GROUP] (
  [Group_ID] INTEGER PRIMARY KEY, [Group_Name] TEXT NOT NULL, [Flags] INTEGER NOT NULL DEFAULT 0);
CREATE TABLE [SYS_FAMILY] (
  [Family_ID] INTEGER PRIMARY KEY, [Group_ID] INTEGER NOT NULL, [Family_Name] TEXT NOT NULL,
  [Flags] INTEGER NOT NULL DEFAULT 0);
CREATE INDEX [IX_FAMILY_GROUP] ON [SYS_FAMILY] ([Group_ID]);
CREATE TABLE [SYS_COMPONENT] (
  [Component_ID] INTEGER PRIMARY KEY, [Part_Number] TEXT NOT NULL, [Description] TEXT,
  [Family_ID] INTEGER, [Access] TEXT, [Access2] TEXT, [Version] TEXT, [Manufacturer] TEXT);
CREATE INDEX [IX_COMPONENT_FAMILY] ON [SYS_COMPONENT] ([Family_ID]);
CREATE TABLE [SYS_MODEL] (
  [Model_ID] TEXT PRIMARY KEY, [Model_Kind] TEXT, [Model_Text] TEXT,
  [Access] TEXT, [Access2] TEXT, [Version] TEXT, [Manufacturer] TEXT);
CREATE TABLE [SYS_SYMBOL_PICTURE] (
  [Picture_ID] INTEGER PRIMARY KEY, [Width] INTEGER, [Height] INTEGER, [Picture] BLOB);
CREATE TABLE [SYS_SYMBOL] (
  [Symbol_ID] INTEGER PRIMARY KEY, [Symbol_Name] TEXT NOT NULL, [Picture_ID] INTEGER);
CREATE INDEX [IX_SYMBOL_PICTURE] ON [SYS_SYMBOL] ([Picture_ID]);
CREATE TABLE [SYS_PACKAGE] (
  [Package_ID] INTEGER PRIMARY KEY, [Package_Name] TEXT NOT NULL, [Pin_Count] INTEGER);
CREATE TABLE [SYS_MAPPING_COMP_SYMBOL] (
  [Component_ID] INTEGER NOT NULL, [Symbol_ID] INTEGER NOT NULL, [Sec_Order] INTEGER NOT NULL DEFAULT 0);
CREATE INDEX [IX_MAP_SYMBOL_COMPONENT] ON [SYS_MAPPING_COMP_SYMBOL] ([Component_ID]);
CREATE INDEX [IX_MAP_SYMBOL_SYMBOL] ON [SYS_MAPPING_COMP_SYMBOL] ([Symbol_ID]);
CREATE TABLE [SYS_MAPPING_COMP_PACKAGE] (
  [Component_ID] INTEGER NOT NULL, [Package_ID] INTEGER NOT NULL);
CREATE INDEX [IX_MAP_PACKAGE_COMPONENT] ON [SYS_MAPPING_COMP_PACKAGE] ([Component_ID]);
CREATE TABLE [SYS_MAPPING_COMP_MODEL] (
  [Component_ID] INTEGER NOT NULL, [Model_ID] TEXT NOT NULL, [Sec_Order] INTEGER NOT NULL DEFAULT 0,
  [Pin_Map] TEXT);
CREATE INDEX [IX_MAP_MODEL_COMPONENT] ON [SYS_MAPPING_COMP_MODEL] ([Component_ID], [Sec_Order]);
CREATE INDEX [IX_MAP_MODEL_MODEL] ON [SYS_MAPPING_COMP_MODEL] ([Model_ID], [Component_ID], [Sec_Order]);
CREATE TABLE [SYS_VERSION_HISTORY] (
  [History_ID] INTEGER PRIMARY KEY AUTOINCREMENT, [Version] TEXT NOT NULL, [Comment] TEXT, [Created] TEXT);
)sql";
}

namespace {

[[noreturn]] void raise(sqlite3* db, int rc) {
    throw CDatabaseException(rc, db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
}

void exec(sqlite3* db, const char* sql) {
    int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) raise(db, rc);
}

class Insert {
  public:
    Insert(sqlite3* db, const char* sql) : db_(db) {
        int rc = sqlite3_prepare_v2(db, sql, -1, &s_, nullptr);
        if (rc != SQLITE_OK) raise(db, rc);
    }
    ~Insert() { sqlite3_finalize(s_); }
    Insert(const Insert&) = delete;
    Insert& operator=(const Insert&) = delete;
    Insert& i(int at, long long v) {
        sqlite3_bind_int64(s_, at, v);
        return *this;
    }
    Insert& t(int at, const std::string& v) {
        sqlite3_bind_text(s_, at, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Insert& t(int at, const char* v) { // null binds NULL
        if (v)
            sqlite3_bind_text(s_, at, v, -1, SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(s_, at);
        return *this;
    }
    Insert& b(int at, const std::string& v) {
        sqlite3_bind_blob(s_, at, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    void run() {
        int rc = sqlite3_step(s_);
        sqlite3_reset(s_);
        sqlite3_clear_bindings(s_);
        if (rc != SQLITE_DONE) raise(db_, rc);
    }

  private:
    sqlite3* db_;
    sqlite3_stmt* s_ = nullptr;
};

struct Rng {
    std::mt19937_64 g;
    explicit Rng(std::uint64_t seed) : g(seed) {}
    // Uniform enough for sample data; mt19937_64's raw output is the same on every implementation.
    long below(long n) { return n <= 1 ? 0 : static_cast<long>(g() % static_cast<std::uint64_t>(n)); }
    bool percent(int p) { return below(100) < p; }
};

struct Codes {
    const char* access;
    const char* access2;
    const char* version;
    const char* maker;
};

Codes drawCodes(Rng& r, int percentNull) {
    Codes c;
    c.access = r.percent(percentNull) ? nullptr : kSampleAccess[r.below(4)];
    c.access2 = r.percent(30) ? nullptr : kSampleAccess2[r.below(2)];
    c.version = r.percent(percentNull) ? nullptr : kSampleVersion[r.below(3)];
    c.maker = r.percent(percentNull) ? nullptr : kSampleMaker[r.below(6)];
    return c;
}

sqlite3* createFile(const std::string& path) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        std::string msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        throw CDatabaseException(rc, msg);
    }
    return db;
}

struct Closer {
    sqlite3* db;
    ~Closer() { sqlite3_close_v2(db); }
};

} // namespace

void CreateComponentDatabase(const std::string& path) {
    if (access(path.c_str(), F_OK) == 0) throw CDatabaseException(SQLITE_CANTOPEN, "file exists: " + path);
    sqlite3* db = createFile(path);
    Closer closer{db};
    exec(db, ComponentSchemaSql());
}

SampleCounts WriteSampleDatabase(const std::string& path, const SampleOptions& o) {
    // Built beside the target and renamed over it, so that an interrupted run leaves no half file. A
    // link is followed and only a regular file is replaced, as every save does.
    std::string target, reason;
    bool exists = false;
    unsigned mode = 0;
    if (!korvane::resolveSaveTarget(path, target, exists, mode, reason))
        throw CDatabaseException(SQLITE_CANTOPEN, path + " cannot be written: " + reason);
    std::string temp = target + ".part";
    std::remove(temp.c_str());
    SampleCounts n;
    try {
        sqlite3* db = createFile(temp);
        Closer closer{db};
        exec(db, "PRAGMA journal_mode = OFF");
        exec(db, "PRAGMA synchronous = OFF");
        exec(db, ComponentSchemaSql());
        exec(db, "BEGIN");
        Rng r(o.seed);
        long comps = o.components < 0 ? 0 : o.components;
        n.components = comps;
        n.groups = std::max(1L, comps / 500);
        n.families = std::max(1L, comps / 50);
        n.packages = std::max(4L, std::min(400L, comps / 10 + 4));
        n.symbols = std::max(1L, comps / 20);
        n.pictures = n.symbols;
        n.models = std::max(1L, comps / 2);

        Insert group(db, "INSERT INTO [SYS_FAMILY_GROUP] VALUES (?, ?, ?)");
        for (long g = 1; g <= n.groups; ++g)
            group.i(1, g).t(2, korvane::format("Group %ld", g)).i(3, r.below(4)).run();
        Insert family(db, "INSERT INTO [SYS_FAMILY] VALUES (?, ?, ?, ?)");
        for (long f = 1; f <= n.families; ++f)
            family.i(1, f)
                .i(2, 1 + r.below(n.groups))
                .t(3, korvane::format("Family %ld", f))
                .i(4, r.below(4))
                .run();
        Insert package(db, "INSERT INTO [SYS_PACKAGE] VALUES (?, ?, ?)");
        for (long p = 1; p <= n.packages; ++p) {
            long pins = 2 + r.below(63);
            package.i(1, p).t(2, korvane::format("PKG%ld-%ld", p, pins)).i(3, pins).run();
        }
        Insert picture(db, "INSERT INTO [SYS_SYMBOL_PICTURE] VALUES (?, ?, ?, ?)");
        Insert symbol(db, "INSERT INTO [SYS_SYMBOL] VALUES (?, ?, ?)");
        for (long s = 1; s <= n.symbols; ++s) {
            std::string bits(48, '\0');
            for (char& c : bits)
                c = static_cast<char>(r.below(256));
            picture.i(1, s).i(2, 16).i(3, 24).b(4, bits).run();
            symbol.i(1, s).t(2, korvane::format("SYM%06ld", s)).i(3, s).run();
        }
        Insert model(db, "INSERT INTO [SYS_MODEL] VALUES (?, ?, ?, ?, ?, ?, ?)");
        static const char* const kinds[] = {"D", "NPN", "NMOS", "SUBCKT"};
        for (long m = 1; m <= n.models; ++m) {
            Codes c = drawCodes(r, o.percentNullCodes);
            const char* kind = kinds[r.below(4)];
            model.t(1, korvane::format("MDL%07ld", m))
                .t(2, kind)
                .t(3, korvane::format(".MODEL MDL%07ld %s (IS=%.3e)", m, kind, 1e-14 * (1 + r.below(100))))
                .t(4, c.access)
                .t(5, c.access2)
                .t(6, c.version)
                .t(7, c.maker)
                .run();
        }
        Insert comp(db, "INSERT INTO [SYS_COMPONENT] VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        Insert mapSym(db, "INSERT INTO [SYS_MAPPING_COMP_SYMBOL] VALUES (?, ?, ?)");
        Insert mapPkg(db, "INSERT INTO [SYS_MAPPING_COMP_PACKAGE] VALUES (?, ?)");
        Insert mapMdl(db, "INSERT INTO [SYS_MAPPING_COMP_MODEL] VALUES (?, ?, ?, ?)");
        for (long id = 1; id <= comps; ++id) {
            Codes c = drawCodes(r, o.percentNullCodes);
            comp.i(1, id)
                .t(2, korvane::format("P%07ld", id))
                .t(3, korvane::format("Sample part %ld", id))
                .i(4, 1 + r.below(n.families))
                .t(5, c.access)
                .t(6, c.access2)
                .t(7, c.version)
                .t(8, c.maker)
                .run();
            int sections = r.percent(10) ? 2 : 1;
            for (int s = 0; s < sections; ++s) {
                mapSym.i(1, id).i(2, 1 + r.below(n.symbols)).i(3, s).run();
                ++n.mapSymbol;
            }
            mapPkg.i(1, id).i(2, 1 + r.below(n.packages)).run();
            ++n.mapPackage;
            for (int s = 0; s < sections; ++s) {
                std::string mid = korvane::format("MDL%07ld", 1 + r.below(n.models));
                std::string pins = s == 0 ? "1,2,3" : "4,5,6";
                int copies =
                    (s == 0 && r.percent(o.percentDuplicateModels)) ? 2 + static_cast<int>(r.below(2)) : 1;
                for (int k = 0; k < copies; ++k) {
                    mapMdl.i(1, id).t(2, mid).i(3, s).t(4, pins).run();
                    ++n.mapModel;
                }
            }
        }
        if (o.withVersionHistory) {
            Insert hist(
                db, "INSERT INTO [SYS_VERSION_HISTORY] ([Version], [Comment], [Created]) VALUES (?, ?, ?)");
            hist.t(1, "V6.00").t(2, "first edition").t(3, "2019-03-01 09:00:00").run();
            hist.t(1, "V7.00").t(2, "second edition").t(3, "2021-06-15 14:30:00").run();
            hist.t(1, "V7.10").t(2, "corrections").t(3, "2022-01-20 08:05:00").run();
            n.history = 3;
        }
        exec(db, "COMMIT");
    } catch (...) {
        std::remove(temp.c_str());
        throw;
    }
    // The engine wrote without syncing; the file reaches the disk before it takes the target's place.
    bool synced = false;
    if (int fd = ::open(temp.c_str(), O_RDWR | O_CLOEXEC); fd >= 0) {
        synced = (!exists || ::fchmod(fd, static_cast<mode_t>(mode)) == 0) && ::fsync(fd) == 0;
        synced = ::close(fd) == 0 && synced;
    }
    if (!synced || std::rename(temp.c_str(), target.c_str()) != 0) {
        std::remove(temp.c_str());
        throw CDatabaseException(SQLITE_IOERR, "cannot rename " + temp + " to " + target);
    }
    return n;
}

} // namespace korvane_db
