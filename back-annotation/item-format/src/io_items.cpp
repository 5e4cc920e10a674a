#include "itemformat/io_items.h"

#include "itemformat/io_textstream.h"
#include "platform/format.h"

namespace {
const std::string kEmpty;
}

void IO_Field::Write(IO_TextStream& out, int level) const {
    out.WriteIndent(level);
    out.WriteName(GetName());
    out.WriteRaw(" ");
    out.WriteRaw(GetTypeToken());
    out.WriteRaw(" ");
    WriteValue(out, level);
    out.WriteLineEnd();
}

void IO_ItemList::Write(IO_TextStream& out, int level) const {
    if (!IsWritten()) return;
    out.WriteIndent(level);
    out.WriteName(GetName());
    out.WriteLineEnd();
    out.WriteIndent(level);
    out.WriteRaw("{");
    out.WriteLineEnd();
    for (const auto& item : items_)
        item->Write(out, level + 1);
    out.WriteIndent(level);
    out.WriteRaw("}");
    out.WriteLineEnd();
}

bool IO_ItemList::IsWritten() const {
    for (const auto& item : items_)
        if (item->IsWritten()) return true;
    return false;
}

IO_Item& IO_ItemList::Add(std::unique_ptr<IO_Item> item) {
    items_.push_back(std::move(item));
    return *items_.back();
}

const IO_Item* IO_ItemList::Find(const std::string& name) const {
    for (const auto& item : items_)
        if (item->GetName() == name) return item.get();
    return nullptr;
}

bool IO_ItemList::GetText(const std::string& name, std::string& value) const {
    const IO_Item* item = Find(name);
    const std::string* text = item ? IO_TextOf(*item) : nullptr;
    if (!text) return false;
    value = *text;
    return true;
}

bool IO_ItemList::GetLong(const std::string& name, long& value) const {
    const IO_Item* item = Find(name);
    if (!item || item->GetKind() != Kind::Int) return false;
    value = static_cast<const IO_Int*>(item)->GetValue();
    return true;
}

bool IO_ItemList::GetDouble(const std::string& name, double& value) const {
    const IO_Item* item = Find(name);
    if (!item) return false;
    if (item->GetKind() == Kind::Double) {
        value = static_cast<const IO_Double*>(item)->GetValue();
        return true;
    }
    if (item->GetKind() == Kind::Int) {
        value = static_cast<double>(static_cast<const IO_Int*>(item)->GetValue());
        return true;
    }
    return false;
}

void IO_Int::WriteValue(IO_TextStream& out, int) const {
    out.WriteRaw(korvane::format("%ld", value_));
}

void IO_Double::WriteValue(IO_TextStream& out, int) const {
    out.WriteRaw(korvane::format("%g", value_));
}

void IO_IntArray::WriteValue(IO_TextStream& out, int) const {
    out.WriteRaw(korvane::format("%zu", values_.size()));
    for (long v : values_)
        out.WriteRaw(korvane::format(" %ld", v));
}

void IO_DoubleArray::WriteValue(IO_TextStream& out, int) const {
    out.WriteRaw(korvane::format("%zu", values_.size()));
    for (double v : values_)
        out.WriteRaw(korvane::format(" %g", v));
}

const std::string& IO_AsciiStr::GetText() const {
    return text_ ? *text_ : kEmpty;
}

void IO_AsciiStr::WriteValue(IO_TextStream& out, int level) const {
    out.WriteDelimited(text_, Delimiter(), level);
}

char IO_ExtendedType::Delimiter() const {
    // A delimiter that could not be read back is replaced by the plain one.
    return IO_TextStream::IsUsableDelimiter(delimiter_) ? delimiter_ : '"';
}

const std::vector<uint8_t>& IO_Memory::GetBytes() const {
    static const std::vector<uint8_t> none;
    return bytes_ ? *bytes_ : none;
}

void IO_Memory::WriteValue(IO_TextStream& out, int) const {
    out.WriteMemory(bytes_);
}

const std::string* IO_TextOf(const IO_Item& item) {
    switch (item.GetKind()) {
    case IO_Item::Kind::AsciiStr:
    case IO_Item::Kind::ResStr:
    case IO_Item::Kind::Extended:
        return &static_cast<const IO_AsciiStr&>(item).GetText();
    default:
        return nullptr;
    }
}
