// Feeds arbitrary bytes to the item-format reader. Whatever it accepts must write out as a text that
// reads back in full, and writing that again must give the same text.
#include "itemformat/io_textstream.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::string WriteAll(const IO_ItemList& all) {
    IO_TextStream out;
    for (const auto& item : all.Items())
        out.Write(*item);
    return out.GetText();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IO_TextStream in = IO_TextStream::FromText(std::string(reinterpret_cast<const char*>(data), size));
    IO_ItemList first("");
    in.ReadAll(first);
    std::string once = WriteAll(first);

    IO_TextStream again = IO_TextStream::FromText(once);
    IO_ItemList second("");
    if (!again.ReadAll(second)) std::abort(); // what we write must read back
    if (WriteAll(second) != once) std::abort();
    return 0;
}
