#include "lumbra/aperture_file.h"

#include "lumbra/units.h"

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

// Lines straight out of a large read buffer: no line is copied, and a line longer than the buffer is
// skipped with only its beginning kept (enough for every check made on such a line).
class LineSource {
  public:
    LineSource(std::FILE* f, long startOffset, long linesBefore)
        : f_(f), cap_(capacityFor(f, startOffset)), buf_(new char[cap_]), base_(startOffset),
          number_(linesBefore) {}

    // False at the end of the file. The line comes without its line feed and without a carriage
    // return before it; tooLong is set when it is longer than kMaxLineLength.
    bool next(std::string_view& line, bool& tooLong) {
        for (;;) {
            const char* start = buf_.get() + pos_;
            if (const void* nl = std::memchr(start, '\n', end_ - pos_)) {
                std::size_t len = static_cast<std::size_t>(static_cast<const char*>(nl) - start);
                line = std::string_view(start, len);
                lineOffset_ = base_ + static_cast<long>(pos_);
                pos_ += len + 1;
                return finish(line, tooLong);
            }
            if (pos_ == 0 && end_ == cap_) return skipLongLine(line, tooLong);
            if (!fill()) {
                if (pos_ == end_) return false;
                // fill() has moved what was left to the front of the buffer.
                line = std::string_view(buf_.get() + pos_, end_ - pos_);
                lineOffset_ = base_ + static_cast<long>(pos_);
                pos_ = end_;
                return finish(line, tooLong);
            }
        }
    }
    long number() const { return number_; }
    // Where the line last returned starts, in bytes from the start of the file.
    long lineOffset() const { return lineOffset_; }

  private:
    static constexpr std::size_t kChunk = std::size_t(1) << 20;

    // A small file needs no large buffer (any size holding more than a line the checks look at works).
    static std::size_t capacityFor(std::FILE* f, long startOffset) {
        struct stat st {};
        if (::fstat(::fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) return kChunk;
        long left = static_cast<long>(st.st_size) - startOffset + 1;
        return std::clamp<std::size_t>(static_cast<std::size_t>(std::max(left, 0L)), 4096, kChunk);
    }

    bool finish(std::string_view& line, bool& tooLong) {
        ++number_;
        // Files written on other systems may carry a carriage return before the line feed.
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        tooLong = line.size() > kMaxLineLength;
        return true;
    }

    // Moves what is left to the front and reads more; false when nothing more came.
    bool fill() {
        if (pos_ > 0) {
            std::memmove(buf_.get(), buf_.get() + pos_, end_ - pos_);
            base_ += static_cast<long>(pos_);
            end_ -= pos_;
            pos_ = 0;
        }
        if (eof_ || end_ == cap_) return false;
        std::size_t got = std::fread(buf_.get() + end_, 1, cap_ - end_, f_);
        if (got == 0) {
            eof_ = true;
            return false;
        }
        end_ += got;
        return true;
    }

    bool skipLongLine(std::string_view& line, bool& tooLong) {
        longStart_.assign(buf_.get(), kMaxLineLength + 2);
        lineOffset_ = base_;
        base_ += static_cast<long>(end_);
        pos_ = end_ = 0;
        while (!eof_) {
            std::size_t got = std::fread(buf_.get(), 1, cap_, f_);
            if (got == 0) {
                eof_ = true;
                break;
            }
            if (const void* nl = std::memchr(buf_.get(), '\n', got)) {
                end_ = got;
                pos_ = static_cast<std::size_t>(static_cast<const char*>(nl) - buf_.get()) + 1;
                break;
            }
            base_ += static_cast<long>(got);
        }
        ++number_;
        line = longStart_;
        tooLong = true;
        return true;
    }

    std::FILE* f_;
    std::size_t cap_;
    // Left uninitialised: only the bytes read are looked at (a small file touches little of it).
    std::unique_ptr<char[]> buf_;
    std::size_t pos_ = 0, end_ = 0;
    long base_;   // file offset of buf_[0]
    long number_; // of the line last returned
    long lineOffset_ = 0;
    bool eof_ = false;
    std::string longStart_;
};

bool startsWithNoCase(std::string_view s, const char* word) {
    std::size_t n = std::strlen(word);
    if (s.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) !=
            std::tolower(static_cast<unsigned char>(word[i])))
            return false;
    return true;
}

bool isBlankLine(std::string_view s) {
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

Tokens tokens(std::string_view s) {
    Tokens out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
            ++i;
        std::size_t j = i;
        while (j < s.size() && s[j] != ' ' && s[j] != '\t')
            ++j;
        if (j > i) {
            if (out.n < out.t.size()) out.t[out.n] = s.substr(i, j - i);
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

// The same reading of the next n fields in one sweep from p (advanced past them), for the lines that
// make up nearly all of a file; false on anything the field-by-field reading above would refuse.
bool nextHexFields(const char*& p, const char* e, std::int32_t* v, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        while (p < e && (*p == ' ' || *p == '\t'))
            ++p;
        bool neg = false;
        if (p < e && (*p == '-' || *p == '+')) neg = *p++ == '-';
        std::uint32_t u = 0;
        auto [q, ec] = std::from_chars(p, e, u, 16);
        if (ec != std::errc() || (q < e && *q != ' ' && *q != '\t')) return false;
        v[i] = static_cast<std::int32_t>(neg ? 0u - u : u);
        p = q;
    }
    return true;
}

bool parseCount(std::string_view t, long& v) {
    if (!t.empty() && t[0] == '+') t.remove_prefix(1);
    if (t.empty()) return false;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v, 10);
    return ec == std::errc() && p == t.data() + t.size() && v >= 0 && v <= 2147483647L;
}

// Values on a primitive line, the type included.
std::size_t valuesOfType(std::int32_t type) {
    switch (type) {
    case AP_CIRCLE:
        return 6;
    case AP_LINE:
        return 8;
    case AP_POLYGON:
        return 4;
    case AP_ARC:
        return 13;
    default:
        return 0;
    }
}

// Walks the aperture section in one pass, checking every line. Aperture `keep` (0: none) is parsed
// into out; with stopAfterKept the walk ends after it.
class SectionWalker {
  public:
    SectionWalker(std::FILE* f, LineSource& in, long keep, LoadedAperture* out, bool stopAfterKept)
        : file_(f), in_(in), keep_(keep), out_(out), stopAfterKept_(stopAfterKept) {}

    // findHeader: start before the header line; otherwise the source is at an aperture head.
    ScanResult run(bool findHeader) {
        ScanResult r;
        std::string_view line;
        bool tooLong;
        if (findHeader) {
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
        }
        r.headerFound = true;
        while (nextContent(line, true)) {
            if (startsWithNoCase(line, "$End")) break;
            if (!aperture(line, r)) break;
            if (stopAfterKept_ && r.aperturesInFile == keep_) break;
        }
        if (error_.empty() && std::ferror(file_)) fail("the file could not be read");
        if (!error_.empty()) r.error = error_;
        return r;
    }

  private:
    // The next line that is neither a comment nor blank; false at the end (or on a fault).
    bool nextContent(std::string_view& line, bool endAllowed) {
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

    bool aperture(std::string_view head, ScanResult& r) {
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
        if (r.aperturesInFile <= kCatalogRows) {
            r.catalog.push_back({name_, toLength(xs, false), toLength(ys, false)});
            r.places.push_back({in_.lineOffset(), in_.number()});
        }
        bool loading = keep_ > 0 && r.aperturesInFile == keep_;
        if (loading) {
            out_->name = name_;
            out_->xSize = toLength(xs, false);
            out_->ySize = toLength(ys, false);
            out_->primitives.clear();
        }
        std::string_view line;
        long count;
        if (!nextContent(line, false)) return false;
        auto ct = tokens(line);
        if (ct.empty() || !parseCount(ct[0], count))
            return fail("expected the decimal count of primitive lines");
        // The count comes from the file: storage grows with the lines actually read.
        if (loading) out_->primitives.reserve(static_cast<std::size_t>(std::min(count, 1L << 16)));
        for (long i = 0; i < count; ++i) {
            if (!nextContent(line, false)) return false;
            if (line[0] == '$' && startsWithNoCase(line, "$End"))
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

    // Nearly every line is well formed: read it in one sweep, and leave anything else to the
    // field-by-field reading, which also words the fault.
    bool primitive(std::string_view line, bool loading) {
        std::int32_t v[13];
        const char* p = line.data();
        const char* e = p + line.size();
        if (nextHexFields(p, e, v, 1)) {
            std::size_t n = valuesOfType(v[0]);
            if (n > 0 && nextHexFields(p, e, v + 1, n - 1) && (v[0] != AP_POLYGON || v[2] >= 0))
                return take(v, loading);
        }
        return primitiveByFields(line, loading);
    }

    bool primitiveByFields(std::string_view line, bool loading) {
        auto t = tokens(line);
        std::int32_t type;
        if (t.empty() || !parseHex(t[0], type)) return fail("expected a primitive line");
        std::size_t n = valuesOfType(type);
        if (n == 0) return fail(korvane::format("unknown primitive type %x", static_cast<unsigned>(type)));
        std::int32_t v[13];
        if (!values(t, n, v)) return false;
        if (type == AP_POLYGON && v[2] < 0)
            return fail("a polygon cannot have a negative number of vertices");
        return take(v, loading);
    }

    // v holds the values of a checked primitive line.
    bool take(const std::int32_t* v, bool loading) {
        if (!loading) return v[0] != AP_POLYGON || vertexLines(static_cast<long>(v[2]) + 1, nullptr);
        auto p = std::make_unique<PrimitiveRecord>();
        p->type = v[0];
        p->polarity = v[1];
        switch (v[0]) {
        case AP_CIRCLE:
            p->size = v[2];
            p->centre = {v[3], v[4]};
            p->toolWord = v[5];
            break;
        case AP_LINE:
            p->size = v[2];
            p->start = {v[3], v[4]};
            p->end = {v[5], v[6]};
            p->toolWord = v[7];
            break;
        case AP_POLYGON:
            p->toolWord = v[3];
            if (!vertexLines(static_cast<long>(v[2]) + 1, &p->vertices)) return false;
            break;
        default:
            p->startAngle = v[2];
            p->sweep = v[3];
            p->radius = v[4];
            p->size = v[5];
            p->centre = {v[6], v[7]};
            p->start = {v[8], v[9]};
            p->end = {v[10], v[11]};
            p->toolWord = v[12];
            break;
        }
        out_->primitives.push_back(std::move(p));
        return true;
    }

    bool vertexLines(long lines, std::vector<Point>* into) {
        // The count comes from the file: grow with the lines actually read, not with the count.
        if (into) into->reserve(static_cast<std::size_t>(std::min(lines, 4096L)));
        std::string_view vl;
        for (long i = 0; i < lines; ++i) {
            if (!nextContent(vl, false)) return false;
            std::int32_t xy[2];
            const char* p = vl.data();
            if (!nextHexFields(p, vl.data() + vl.size(), xy, 2) && !values(tokens(vl), 2, xy)) return false;
            if (into) into->push_back({xy[0], xy[1]});
        }
        return true;
    }

    std::FILE* file_;
    LineSource& in_;
    long keep_;
    LoadedAperture* out_;
    bool stopAfterKept_;
    std::string name_;
    std::string error_;
};

ScanResult walkFromStart(std::FILE* f, long keep, LoadedAperture* out, bool stopAfterKept) {
    std::rewind(f);
    LineSource in(f, 0, 0);
    return SectionWalker(f, in, keep, out, stopAfterKept).run(true);
}

// Two hexadecimal digits per byte value, so that a word takes at most four look-ups.
struct HexPairs {
    char pair[256][2];
    constexpr HexPairs() : pair() {
        constexpr char kDigits[] = "0123456789abcdef";
        for (int i = 0; i < 256; ++i) {
            pair[i][0] = kDigits[i >> 4];
            pair[i][1] = kDigits[i & 15];
        }
    }
};
constexpr HexPairs kHexPairs;

char* putHex(char* o, std::int32_t value) {
    auto u = static_cast<std::uint32_t>(value);
    int digits = u == 0 ? 1 : (32 - __builtin_clz(u) + 3) / 4;
    char* end = o + digits;
    char* p = end;
    while (p - o >= 2) {
        p -= 2;
        std::memcpy(p, kHexPairs.pair[u & 0xff], 2);
        u >>= 8;
    }
    if (p > o) *o = kHexPairs.pair[u & 0xff][1];
    return end;
}

void appendHex(std::string& s, std::int32_t v) {
    char b[8];
    s.append(b, putHex(b, v));
}

// Collects lines and hands them on in large pieces.
class PieceWriter {
  public:
    explicit PieceWriter(const std::function<bool(std::string_view)>& sink)
        : sink_(sink), buf_(new char[kPiece]) {}
    // Room for one line of up to 13 values.
    char* reserve() {
        if (kPiece - used_ < kLongestLine) flush();
        return buf_.get() + used_;
    }
    void commit(char* end) { used_ = static_cast<std::size_t>(end - buf_.get()); }
    void text(std::string_view s) {
        flush();
        if (ok_ && !s.empty()) ok_ = sink_(s);
    }
    bool flush() {
        if (ok_ && used_ > 0) ok_ = sink_(std::string_view(buf_.get(), used_));
        used_ = 0;
        return ok_;
    }
    bool ok() const { return ok_; }

  private:
    static constexpr std::size_t kPiece = std::size_t(1) << 20;
    static constexpr std::size_t kLongestLine = 13 * 9 + 1;
    const std::function<bool(std::string_view)>& sink_;
    std::unique_ptr<char[]> buf_;
    std::size_t used_ = 0;
    bool ok_ = true;
};

char* putWords(char* o, std::initializer_list<std::int32_t> words) {
    bool first = true;
    for (std::int32_t v : words) {
        if (!first) *o++ = ' ';
        first = false;
        o = putHex(o, v);
    }
    *o++ = '\n';
    return o;
}

} // namespace

std::string hexWord(std::int32_t v) {
    std::string s;
    appendHex(s, v);
    return s;
}

ScanResult scanApertureFile(std::FILE* f) {
    return walkFromStart(f, 0, nullptr, false);
}

ScanResult readApertureFile(std::FILE* f, LoadedAperture& first) {
    return walkFromStart(f, 1, &first, false);
}

bool loadApertureFromFile(std::FILE* f, long k, LoadedAperture& out, std::string& error) {
    error.clear();
    if (k < 1) return false;
    ScanResult r = walkFromStart(f, k, &out, true);
    if (!r.ok()) {
        error = r.error;
        return false;
    }
    return r.aperturesInFile == k;
}

bool loadListedAperture(std::FILE* f, const ScanResult& scan, long k, LoadedAperture& out,
                        std::string& error) {
    error.clear();
    if (k < 1 || k > static_cast<long>(scan.places.size())) return false;
    const AperturePlace& at = scan.places[static_cast<std::size_t>(k - 1)];
    std::clearerr(f);
    if (std::fseek(f, at.offset, SEEK_SET) != 0) {
        error = "the file could not be read";
        return false;
    }
    LineSource in(f, at.offset, at.line - 1);
    ScanResult r = SectionWalker(f, in, 1, &out, true).run(false);
    if (!r.ok()) {
        error = r.error;
        return false;
    }
    return r.aperturesInFile == 1;
}

std::string apertureHeadLine(const ApertureRecord& a) {
    std::string head = a.name() + ' ';
    appendHex(head, toUnits(a.xSize, false));
    head += ' ';
    appendHex(head, toUnits(a.ySize, false));
    return head;
}

bool writeAperture(ApertureRecord& a, const std::function<bool(std::string_view)>& sink, bool sizesFresh) {
    if (!sizesFresh) a.computeSize();
    // Integer-only lines, byte for byte what "%x" and "%d" give.
    std::string head = "$CustomApertureData\n" + apertureHeadLine(a) + '\n';
    head += std::to_string(a.count());
    head += '\n';
    PieceWriter w(sink);
    w.text(head);
    for (const auto& q : a.primitives()) {
        const PrimitiveRecord& p = *q;
        switch (p.type) {
        case AP_CIRCLE:
            w.commit(putWords(w.reserve(), {p.type, p.polarity, p.size, p.centre.x, p.centre.y, p.toolWord}));
            break;
        case AP_LINE:
            w.commit(putWords(w.reserve(), {p.type, p.polarity, p.size, p.start.x, p.start.y, p.end.x,
                                            p.end.y, p.toolWord}));
            break;
        case AP_POLYGON:
            w.commit(putWords(w.reserve(), {p.type, p.polarity, p.vertexCount(), p.toolWord}));
            for (const Point& v : p.vertices)
                w.commit(putWords(w.reserve(), {v.x, v.y}));
            break;
        case AP_ARC:
            w.commit(putWords(w.reserve(),
                              {p.type, p.polarity, p.startAngle, p.sweep, p.radius, p.size, p.centre.x,
                               p.centre.y, p.start.x, p.start.y, p.end.x, p.end.y, p.toolWord}));
            break;
        default:
            break;
        }
        if (!w.ok()) return false;
    }
    return w.flush();
}

std::string writeApertureText(ApertureRecord& a) {
    std::string s;
    writeAperture(a, [&s](std::string_view piece) {
        s.append(piece);
        return true;
    });
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
