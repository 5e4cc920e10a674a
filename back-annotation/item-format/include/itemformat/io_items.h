// The item text format: named items (integers, reals, arrays, texts, memory blocks, typed texts) and
// lists of items, written one item per line and read back token by token.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class IO_TextStream;

// Every item has a name and knows how to write its value; a list writes its items one level deeper.
class IO_Item {
  public:
    enum class Kind { List, Int, Double, IntArray, DoubleArray, AsciiStr, ResStr, Memory, Extended };

    explicit IO_Item(std::string name) : name_(std::move(name)) {}
    virtual ~IO_Item() = default;
    IO_Item(const IO_Item&) = delete;
    IO_Item& operator=(const IO_Item&) = delete;

    const std::string& GetName() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    virtual Kind GetKind() const = 0;
    // The type token written after the name ("{", "i", "r", "i:", "r:", "A", "R", "M" or a typed name).
    virtual std::string GetTypeToken() const = 0;
    // Writes the whole item (name, token, value, line end) at the given nesting level.
    virtual void Write(IO_TextStream& out, int level) const = 0;
    // True when writing the item leaves at least one line in the file (empty lists leave none).
    virtual bool IsWritten() const { return true; }

  private:
    std::string name_;
};

// An item that is written on one line: name, type token, value.
class IO_Field : public IO_Item {
  public:
    using IO_Item::IO_Item;
    void Write(IO_TextStream& out, int level) const override;

  protected:
    // Writes the value after "name token "; the line end follows.
    virtual void WriteValue(IO_TextStream& out, int level) const = 0;
};

class IO_ItemList : public IO_Item {
  public:
    using IO_Item::IO_Item;
    Kind GetKind() const override { return Kind::List; }
    std::string GetTypeToken() const override { return "{"; }
    void Write(IO_TextStream& out, int level) const override;
    bool IsWritten() const override;

    IO_Item& Add(std::unique_ptr<IO_Item> item);
    template <class T, class... Args> T& Add(Args&&... args) {
        auto item = std::make_unique<T>(std::forward<Args>(args)...);
        T& ref = *item;
        items_.push_back(std::move(item));
        return ref;
    }

    size_t GetCount() const { return items_.size(); }
    const IO_Item& GetAt(size_t i) const { return *items_.at(i); }
    const std::vector<std::unique_ptr<IO_Item>>& Items() const { return items_; }
    // First item of that name, or null.
    const IO_Item* Find(const std::string& name) const;

    // Convenience readers: true when an item of that name and a fitting kind exists.
    // Texts come from any text kind; a null text reads as empty.
    bool GetText(const std::string& name, std::string& value) const;
    bool GetLong(const std::string& name, long& value) const;
    // Reals also accept an integer item.
    bool GetDouble(const std::string& name, double& value) const;

  private:
    std::vector<std::unique_ptr<IO_Item>> items_;
};

class IO_Int : public IO_Field {
  public:
    IO_Int(std::string name, long value = 0) : IO_Field(std::move(name)), value_(value) {}
    Kind GetKind() const override { return Kind::Int; }
    std::string GetTypeToken() const override { return "i"; }
    long GetValue() const { return value_; }
    void SetValue(long v) { value_ = v; }

  protected:
    void WriteValue(IO_TextStream& out, int level) const override;

  private:
    long value_;
};

class IO_Double : public IO_Field {
  public:
    IO_Double(std::string name, double value = 0) : IO_Field(std::move(name)), value_(value) {}
    Kind GetKind() const override { return Kind::Double; }
    std::string GetTypeToken() const override { return "r"; }
    double GetValue() const { return value_; }
    void SetValue(double v) { value_ = v; }

  protected:
    void WriteValue(IO_TextStream& out, int level) const override;

  private:
    double value_;
};

// A counted run of numbers: "i:" or "r:", the count, then the values.
template <class T> class IO_Array : public IO_Field {
  public:
    IO_Array(std::string name, std::vector<T> values = {})
        : IO_Field(std::move(name)), values_(std::move(values)) {}
    const std::vector<T>& GetValues() const { return values_; }
    std::vector<T>& Values() { return values_; }

  protected:
    std::vector<T> values_;
};

class IO_IntArray : public IO_Array<long> {
  public:
    using IO_Array<long>::IO_Array;
    Kind GetKind() const override { return Kind::IntArray; }
    std::string GetTypeToken() const override { return "i:"; }

  protected:
    void WriteValue(IO_TextStream& out, int level) const override;
};

class IO_DoubleArray : public IO_Array<double> {
  public:
    using IO_Array<double>::IO_Array;
    Kind GetKind() const override { return Kind::DoubleArray; }
    std::string GetTypeToken() const override { return "r:"; }

  protected:
    void WriteValue(IO_TextStream& out, int level) const override;
};

// A delimited text; a missing text (no value) is written as the single character 0.
class IO_AsciiStr : public IO_Field {
  public:
    IO_AsciiStr(std::string name, std::optional<std::string> text = std::string())
        : IO_Field(std::move(name)), text_(std::move(text)) {}
    Kind GetKind() const override { return Kind::AsciiStr; }
    std::string GetTypeToken() const override { return "A"; }
    bool IsNull() const { return !text_.has_value(); }
    // The text, empty when missing.
    const std::string& GetText() const;
    const std::optional<std::string>& GetOptional() const { return text_; }
    void SetText(std::optional<std::string> text) { text_ = std::move(text); }

  protected:
    void WriteValue(IO_TextStream& out, int level) const override;
    // The opening delimiter used when writing.
    virtual char Delimiter() const { return '"'; }

  private:
    std::optional<std::string> text_;
};

class IO_ResStr : public IO_AsciiStr {
  public:
    using IO_AsciiStr::IO_AsciiStr;
    Kind GetKind() const override { return Kind::ResStr; }
    std::string GetTypeToken() const override { return "R"; }
};

// A text of a type the reader does not know, kept with its type token and the delimiter found in the
// file so that it is written back the same way.
class IO_ExtendedType : public IO_AsciiStr {
  public:
    IO_ExtendedType(std::string name, std::string typeToken, char delimiter,
                    std::optional<std::string> text = std::string())
        : IO_AsciiStr(std::move(name), std::move(text)), type_(std::move(typeToken)), delimiter_(delimiter) {}
    Kind GetKind() const override { return Kind::Extended; }
    std::string GetTypeToken() const override { return type_; }
    // The delimiter found in the file (or given); writing falls back to '"' when it is unusable.
    char GetDelimiter() const { return delimiter_; }

  protected:
    char Delimiter() const override;

  private:
    std::string type_;
    char delimiter_;
};

// A block of bytes, written scrambled as letter pairs.
class IO_Memory : public IO_Field {
  public:
    IO_Memory(std::string name, std::optional<std::vector<uint8_t>> bytes = std::vector<uint8_t>())
        : IO_Field(std::move(name)), bytes_(std::move(bytes)) {}
    Kind GetKind() const override { return Kind::Memory; }
    std::string GetTypeToken() const override { return "M"; }
    bool IsNull() const { return !bytes_.has_value(); }
    const std::vector<uint8_t>& GetBytes() const;

  protected:
    void WriteValue(IO_TextStream& out, int level) const override;

  private:
    std::optional<std::vector<uint8_t>> bytes_;
};

// The text of any text item (plain, resource or typed), empty for a missing text; null for other kinds.
const std::string* IO_TextOf(const IO_Item& item);
