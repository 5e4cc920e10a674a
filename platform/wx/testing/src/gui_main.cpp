// Entry of the GUI test programs: the toolkit must be up before any test runs; without a display the
// program reports a skip (77) instead of failing.
#include "wxpresenter/wxpresenter.h"

#include <gtest/gtest.h>
#include <wx/image.h>

#include <cstdio>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (!korvane::wx::startToolkit(argc, argv)) {
        std::puts("no display can be had: the GUI tests are skipped");
        return 77;
    }
    wxInitAllImageHandlers();
    // A failed toolkit check is a test failure, never a dialog waiting for a person.
    wxSetAssertHandler(
        [](const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
            ADD_FAILURE_AT(file.utf8_string().c_str(), line)
                << "toolkit check failed in " << func.utf8_string() << ": " << cond.utf8_string() << " "
                << msg.utf8_string();
        });
    const int result = RUN_ALL_TESTS();
    korvane::wx::stopToolkit();
    return result;
}
