// Writing and reading items in the item text format.
//
// Written: one item per line, indented by IO_TextStream::kIndentWidth blanks per nesting level, lines
// ended by CR LF. Read: tokens separated by any white space. Reading stops at the end of the text or
// at the first item that does not parse; the items read before it are kept.
#pragma once

#include "itemformat/io_items.h"
#include "platform/atomic_file.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IO_TextStream {
  public:
    static constexpr int kIndentWidth = 2;
    // Lists nested deeper than this do not parse (keeps a hostile file from exhausting the stack).
    static constexpr int kMaxDepth = 64;
    // Files larger than this are not read.
    static constexpr size_t kMaxFileSize = 64u * 1024 * 1024;

    // A stream for writing into memory.
    IO_TextStream() = default;
    // A stream for reading the given text.
    static IO_TextStream FromText(std::string text);

    IO_TextStream(IO_TextStream&& other) noexcept = default;
    IO_TextStream& operator=(IO_TextStream&& other) noexcept = default;
    IO_TextStream(const IO_TextStream&) = delete;
    IO_TextStream& operator=(const IO_TextStream&) = delete;
    // An unfinished file write is abandoned: the temporary file is removed, the target untouched.
    ~IO_TextStream() = default;

    // ---- files ----
    // Reads a whole file for reading; false (with GetError()) when it cannot be read.
    bool OpenForReading(const std::string& path);
    // Starts writing a file through korvane::AtomicFile: a symbolic link is followed, anything but a
    // regular file is refused, and a temporary file is created beside the target (false with
    // GetError() saying why when any of that fails). The written text replaces the file at Close(),
    // which keeps its permission mode.
    bool OpenForWriting(const std::string& path);
    // Ends writing to a file: the text is stored and renamed over the target. False when that fails
    // (the target is then left as it was and no temporary file stays). A stream not writing a file
    // just returns true.
    bool Close();

    // ---- writing ----
    void Write(const IO_Item& item, int level = 0);
    // Everything written so far.
    const std::string& GetText() const { return text_; }

    // Pieces used by the items to write themselves.
    void WriteIndent(int level);
    void WriteRaw(std::string_view s) {
        text_.append(s);
        lastOpen_ = 0;
    }
    void WriteLineEnd() { text_.append("\r\n"); }
    void WriteName(const std::string& name);
    void WriteDelimited(const std::optional<std::string>& text, char open, int level);
    void WriteMemory(const std::optional<std::vector<uint8_t>>& bytes);

    // ---- reading ----
    // Reads the next item; null at the end of the text, at a "}" that closes the list being read, or
    // when the item does not parse (IsFailed() then tells which). A list that fails part way comes back
    // with the items read before the failure, and IsFailed() is true.
    std::unique_ptr<IO_Item> ReadItem();
    // Reads every item up to the end of the text (or the failure) into `into`; true when no item
    // failed to parse.
    bool ReadAll(IO_ItemList& into);
    bool IsFailed() const { return failed_; }
    bool AtEnd();
    // What went wrong and where ("line 3: ..."), empty when nothing did.
    const std::string& GetError() const { return error_; }

    // The delimiter that closes a text opened by `open`: the matching bracket or the same character.
    static char ClosingDelimiter(char open);
    // Whether `c` can open a typed text (not white space, a backslash, "}" or the null mark 0).
    static bool IsUsableDelimiter(char c);
    // The 4 bytes memory blocks are combined with.
    static const uint8_t* MemoryKey();

  private:
    enum class Outcome { Item, ListEnd, End, Failed };
    Outcome ReadOne(int depth, std::unique_ptr<IO_Item>& item);
    bool NextToken(std::string& token);
    void SkipSpace();
    bool Fail(const std::string& message);
    bool FailFile(const std::string& message);
    bool ReadNumber(const std::string& token, long& value);
    bool ReadNumber(const std::string& token, double& value);
    template <class T> bool ReadArray(std::vector<T>& values, const std::string& name);
    // Reads an opening delimiter or the null mark: 0 null, otherwise the delimiter; -1 on failure.
    int ReadOpening(bool anyDelimiter, const std::string& name);
    bool ReadDelimited(char open, std::string& text, const std::string& name);
    bool ReadMemory(std::vector<uint8_t>& bytes, const std::string& name);

    std::string text_;
    size_t pos_ = 0;
    bool failed_ = false;
    std::string error_;
    char lastOpen_ = 0;     // opening delimiter of a text that ended the last line written
    int memoryLetters_ = 0; // letters written since the last memory line break, across blocks
    std::unique_ptr<korvane::AtomicFile> file_; // the file being written, until Close()
};
