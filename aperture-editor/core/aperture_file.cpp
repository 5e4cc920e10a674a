#include "aperture_file.h"

#include "units.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/format.h"

namespace lumbra {

namespace {

// Reads lines through a fixed buffer so that no line, however long, is held whole.
class LineReader {
  public:
    explicit LineReader(std::FILE* f) : f_(f) {}

    // False at the end of the file. tooLong is set when the line exceeded the limit (its text is cut).
    bool next(std::string& line, bool& tooLong) {
        line.clear();
        tooLong = false;
        bool any = false;
        for (;;) {
            if (pos_ == len_) {
                len_ = std::fread(buf_, 1, sizeof buf_, f_);
                pos_ = 0;
                if (len_ == 0) break;
            }
            any = true;
            const char* start = buf_ + pos_;
            const void* nl = std::memchr(start, '\n', len_ - pos_);
            std::size_t take =
                nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - start) : len_ - pos_;
            if (line.size() < kMaxLineLength + 2)
                line.append(start, std::min(take, kMaxLineLength + 2 - line.size()));
            pos_ += take;
            if (nl) {
                ++pos_;
                break;
            }
        }
        if (!any) return false;
        ++number_;
        // Files written on other systems may carry a carriage return before the line feed.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > kMaxLineLength) {
            tooLong = true;
            line.resize(kMaxLineLength);
        }
        return true;
    }
    long number() const { return number_; }

  private:
    std::FILE* f_;
    char buf_[65536];
    std::size_t pos_ = 0, len_ = 0;
    long number_ = 0;
};

bool startsWithNoCase(const std::string& s, const char* word) {
    std::size_t n = std::strlen(word);
    if (s.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) !=
            std::tolower(static_cast<unsigned char>(word[i])))
            return false;
    return true;
}

bool isBlankLine(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// The blank-separated fields of a line; no line needs more than 13, so further ones are only counted.
struct Tokens {
    std::array<std::string_view, 16> t;
    std::size_t n = 0;
    std::size_t size() const { return n; }
    bool empty() const { return n == 0; }
    const std::string_view& operator[](std::size_t i) const { return t[i]; }
};

Tokens tokens(const std::string& s) {
    Tokens out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
            ++i;
        std::size_t j = i;
        while (j < s.size() && s[j] != ' ' && s[j] != '\t')
            ++j;
        if (j > i) {
            if (out.n < out.t.size()) out.t[out.n] = std::string_view(s.data() + i, j - i);
            ++out.n;
        }
        i = j;
    }
    return out;
}

// A 32-bit value written in hexadecimal (an optional sign as scanf would take it).
bool parseHex(std::string_view t, std::int32_t& v) {
    bool neg = false;
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
        neg = t[0] == '-';
        t.remove_prefix(1);
    }
    if (t.empty()) return false;
    std::uint64_t u = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), u, 16);
    if (ec != std::errc() || p != t.data() + t.size() || u > 0xffffffffULL) return false;
    std::uint32_t w = static_cast<std::uint32_t>(u);
    if (neg) w = 0u - w;
    v = static_cast<std::int32_t>(w);
    return true;
}

bool parseCount(std::string_view t, long& v) {
    if (!t.empty() && t[0] == '+') t.remove_prefix(1);
    if (t.empty()) return false;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v, 10);
    return ec == std::errc() && p == t.data() + t.size() && v >= 0 && v <= 2147483647L;
}

// Walks the aperture section. When want > 0 the primitives of aperture `want` are parsed into out
// and the walk stops after it.
class SectionWalker {
  public:
    SectionWalker(std::FILE* f, long want, LoadedAperture* out) : file_(f), in_(f), want_(want), out_(out) {}

    ScanResult run() {
        ScanResult r;
        std::string line;
        bool tooLong;
        while (in_.next(line, tooLong)) {
            if (startsWithNoCase(line, "$CustomApertureData")) {
                r.headerFound = true;
                break;
            }
        }
        if (std::ferror(file_)) {
            r.error = "the file could not be read";
            return r;
        }
        if (!r.headerFound) return r;
        while (nextContent(line, true)) {
            if (startsWithNoCase(line, "$End")) break;
            if (!aperture(line, r)) break;
            if (want_ > 0 && r.aperturesInFile == want_) break;
        }
        if (error_.empty() && std::ferror(file_)) fail("the file could not be read");
        if (!error_.empty()) r.error = error_;
        return r;
    }

  private:
    // The next line that is neither a comment nor blank; false at the end (or on a fault).
    bool nextContent(std::string& line, bool endAllowed) {
        bool tooLong;
        while (in_.next(line, tooLong)) {
            if (!line.empty() && line[0] == '#') continue;
            if (tooLong) return fail("line is longer than 255 characters");
            if (isBlankLine(line)) continue;
            return true;
        }
        if (!endAllowed) fail("the file ends inside aperture \"" + name_ + "\"");
        return false;
    }

    bool fail(const std::string& what) {
        if (error_.empty()) error_ = korvane::format("line %ld: %s", in_.number(), what.c_str());
        return false;
    }

    bool aperture(const std::string& head, ScanResult& r) {
        auto t = tokens(head);
        std::int32_t xs, ys;
        if (t.size() < 3) return fail("expected an aperture name and its X and Y size");
        if (!parseHex(t[1], xs) || !parseHex(t[2], ys))
            return fail("the aperture size is not a hexadecimal number");
        for (char c : t[0])
            if (static_cast<unsigned char>(c) < 0x20)
                return fail("the aperture name holds a control character");
        name_.assign(t[0]);
        ++r.aperturesInFile;
        if (r.aperturesInFile <= kCatalogRows)
            r.catalog.push_back({name_, toLength(xs, false), toLength(ys, false)});
        bool loading = want_ > 0 && r.aperturesInFile == want_;
        if (loading) {
            out_->name = name_;
            out_->xSize = toLength(xs, false);
            out_->ySize = toLength(ys, false);
            out_->primitives.clear();
        }
        std::string line;
        long count;
        if (!nextContent(line, false)) return false;
        auto ct = tokens(line);
        if (ct.empty() || !parseCount(ct[0], count))
            return fail("expected the decimal count of primitive lines");
        for (long i = 0; i < count; ++i) {
            if (!nextContent(line, false)) return false;
            if (startsWithNoCase(line, "$End"))
                return fail("the file ends inside aperture \"" + name_ + "\"");
            if (!primitive(line, loading)) return false;
        }
        return true;
    }

    bool values(const Tokens& t, std::size_t n, std::int32_t* v) {
        if (t.size() < n) return fail(korvane::format("expected %zu values, found %zu", n, t.size()));
        for (std::size_t i = 0; i < n; ++i)
            if (!parseHex(t[i], v[i]))
                return fail("\"" + std::string(t[i]) + "\" is not a hexadecimal number");
        return true;
    }

    bool primitive(const std::string& line, bool loading) {
        auto t = tokens(line);
        std::int32_t type;
        if (t.empty() || !parseHex(t[0], type)) return fail("expected a primitive line");
        std::int32_t v[13];
        PrimitiveRecord p;
        switch (type) {
        case AP_CIRCLE:
            if (!values(t, 6, v)) return false;
            p = PrimitiveRecord::circle(v[2], {v[3], v[4]});
            p.polarity = v[1];
            p.toolWord = v[5];
            break;
        case AP_LINE:
            if (!values(t, 8, v)) return false;
            p = PrimitiveRecord::line(v[2], {v[3], v[4]}, {v[5], v[6]});
            p.polarity = v[1];
            p.toolWord = v[7];
            break;
        case AP_POLYGON: {
            if (!values(t, 4, v)) return false;
            if (v[2] < 0) return fail("a polygon cannot have a negative number of vertices");
            p.type = AP_POLYGON;
            p.polarity = v[1];
            p.toolWord = v[3];
            long vertexLines = static_cast<long>(v[2]) + 1;
            // The count comes from the file: grow with the lines actually read, not with the count.
            if (loading) p.vertices.reserve(static_cast<std::size_t>(std::min(vertexLines, 4096L)));
            std::string vl;
            for (long i = 0; i < vertexLines; ++i) {
                if (!nextContent(vl, false)) return false;
                std::int32_t xy[2];
                if (!values(tokens(vl), 2, xy)) return false;
                if (loading) p.vertices.push_back({xy[0], xy[1]});
            }
            break;
        }
        case AP_ARC:
            if (!values(t, 13, v)) return false;
            p = PrimitiveRecord::arc(v[2], v[3], v[4], v[5], {v[6], v[7]}, {v[8], v[9]}, {v[10], v[11]});
            p.polarity = v[1];
            p.toolWord = v[12];
            break;
        default:
            return fail(korvane::format("unknown primitive type %x", static_cast<unsigned>(type)));
        }
        if (loading) out_->primitives.push_back(std::make_unique<PrimitiveRecord>(std::move(p)));
        return true;
    }

    std::FILE* file_;
    LineReader in_;
    long want_;
    LoadedAperture* out_;
    std::string name_;
    std::string error_;
};

void appendHex(std::string& s, std::int32_t v) {
    char b[16];
    auto [p, ec] = std::to_chars(b, b + sizeof b, static_cast<std::uint32_t>(v), 16);
    (void)ec;
    s.append(b, p);
}

} // namespace

std::string hexWord(std::int32_t v) {
    std::string s;
    appendHex(s, v);
    return s;
}

ScanResult scanApertureFile(std::FILE* f) {
    std::rewind(f);
    return SectionWalker(f, 0, nullptr).run();
}

bool loadApertureFromFile(std::FILE* f, long k, LoadedAperture& out, std::string& error) {
    error.clear();
    if (k < 1) return false;
    std::rewind(f);
    ScanResult r = SectionWalker(f, k, &out).run();
    if (!r.ok()) {
        error = r.error;
        return false;
    }
    return r.aperturesInFile == k;
}

std::string writeApertureText(ApertureRecord& a) {
    a.computeSize();
    // Integer-only lines: written with to_chars, byte for byte what "%x" and "%d" give, and fast.
    std::string s = "$CustomApertureData\n";
    s += a.name();
    s += ' ';
    appendHex(s, toUnits(a.xSize, false));
    s += ' ';
    appendHex(s, toUnits(a.ySize, false));
    s += '\n';
    s += std::to_string(a.count());
    s += '\n';
    auto words = [&s](std::initializer_list<std::int32_t> w) {
        bool first = true;
        for (std::int32_t v : w) {
            if (!first) s += ' ';
            first = false;
            appendHex(s, v);
        }
        s += '\n';
    };
    for (const auto& p : a.primitives()) {
        switch (p->type) {
        case AP_CIRCLE:
            words({p->type, p->polarity, p->size, p->centre.x, p->centre.y, p->toolWord});
            break;
        case AP_LINE:
            words({p->type, p->polarity, p->size, p->start.x, p->start.y, p->end.x, p->end.y, p->toolWord});
            break;
        case AP_POLYGON:
            words({p->type, p->polarity, p->vertexCount(), p->toolWord});
            for (const Point& v : p->vertices)
                words({v.x, v.y});
            break;
        case AP_ARC:
            words({p->type, p->polarity, p->startAngle, p->sweep, p->radius, p->size, p->centre.x,
                   p->centre.y, p->start.x, p->start.y, p->end.x, p->end.y, p->toolWord});
            break;
        default:
            break;
        }
    }
    return s;
}

std::string nameUnfitForSaving(const std::string& name) {
    if (!name.empty() && name[0] == '#')
        return "an aperture name may not begin with \"#\": the file would take it for a comment";
    if (startsWithNoCase(name, "$End"))
        return "an aperture name may not begin with \"$End\": the file would end there";
    return {};
}

} // namespace lumbra
