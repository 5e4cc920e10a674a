#include "makertest/support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <stdexcept>

namespace makertest {

PinnedDate::PinnedDate(const char* epoch) {
    setenv("TZ", "UTC", 1);
    tzset();
    setenv("SOURCE_DATE_EPOCH", epoch, 1);
}

PinnedDate::~PinnedDate() {
    unsetenv("SOURCE_DATE_EPOCH");
}

std::vector<std::string> crlfLines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

CWnd* item(CModalWindow& window, int page, int id) {
    if (auto* sheet = dynamic_cast<CPropertySheet*>(&window)) {
        if (page < 1 || page > sheet->GetPageCount()) return nullptr;
        return sheet->GetPage(page - 1)->GetDlgItem(id);
    }
    return window.GetDlgItem(id);
}

CUserDefValueSpinUnitBox& box(CModalWindow& window, int page, int editId) {
    CWnd* edit = item(window, page, editId);
    auto* b = edit ? dynamic_cast<CUserDefValueSpinUnitBox*>(edit->extension()) : nullptr;
    if (!b) {
        ADD_FAILURE() << "no value box on page " << page << " at control " << editId;
        throw std::logic_error("no value box");
    }
    return *b;
}

} // namespace makertest
