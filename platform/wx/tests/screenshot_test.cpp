// Screenshots of test support: what a window draws is captured, and a picture of one colour (nothing
// drawn) is refused.
#include "wxtesting/screenshot.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/stattext.h>

namespace {

wxImage filled(int w, int h, unsigned char r, unsigned char g, unsigned char b) {
    wxImage image(w, h);
    image.SetRGB(wxRect(0, 0, w, h), r, g, b);
    return image;
}

TEST(Screenshots, OneColourOrEmptyIsRefused) {
    struct Row {
        const char* name;
        wxImage image;
        bool accepted;
    };
    wxImage twoColours = filled(40, 30, 255, 255, 255);
    twoColours.SetRGB(3, 4, 0, 0, 0);
    const Row rows[] = {
        {"white.png", filled(40, 30, 255, 255, 255), false},
        {"black.png", filled(40, 30, 0, 0, 0), false},
        {"grey.png", filled(640, 480, 0xED, 0xED, 0xED), false},
        {"empty.png", wxImage(), false},
        {"one-pixel-drawn.png", twoColours, true},
    };
    for (const Row& r : rows) {
        const testing::AssertionResult saved =
            wxtesting::saveScreenshot(r.image, std::string("check-") + r.name);
        EXPECT_EQ(static_cast<bool>(saved), r.accepted) << r.name << ": " << saved.message();
    }
    EXPECT_NE(
        std::string(wxtesting::saveScreenshot(rows[0].image, "check-white.png").message()).find("one colour"),
        std::string::npos);
}

TEST(Screenshots, DistinctColoursAreCountedUpToTheLimit) {
    wxImage image = filled(10, 10, 1, 2, 3);
    EXPECT_EQ(wxtesting::distinctColours(image, 5), 1);
    image.SetRGB(0, 0, 9, 9, 9);
    image.SetRGB(9, 9, 1, 2, 4); // differs in blue only
    EXPECT_EQ(wxtesting::distinctColours(image, 5), 3);
    EXPECT_EQ(wxtesting::distinctColours(image, 2), 2);
    EXPECT_EQ(wxtesting::distinctColours(wxImage(), 2), 0);
}

TEST(Screenshots, ADialogAndATopLevelFrameAreDrawnWithTheirContent) {
    auto* dialog = new wxDialog(nullptr, wxID_ANY, "Shot", wxDefaultPosition, wxSize(240, 120));
    auto* panel = new wxPanel(dialog);
    new wxStaticText(panel, wxID_ANY, "Some text", wxPoint(10, 10));
    auto* button = new wxButton(panel, wxID_ANY, "Press", wxPoint(10, 40));
    dialog->Show();
    const wxImage shot = wxtesting::capture(panel);
    EXPECT_TRUE(wxtesting::saveScreenshot(shot, "check-dialog.png"));
    EXPECT_GT(wxtesting::distinctColours(shot, 8), 4);
    // The button's area holds its label: more than the background's colour.
    const wxRect r = button->GetRect();
    EXPECT_GT(wxtesting::distinctColours(shot.GetSubImage(r), 4), 2);
    dialog->Destroy();

    // A frame is drawn with what it holds.
    auto* frame = new wxFrame(nullptr, wxID_ANY, "Frame", wxDefaultPosition, wxSize(240, 120));
    auto* inside = new wxPanel(frame);
    new wxButton(inside, wxID_ANY, "Inside", wxPoint(10, 10));
    frame->Show();
    const wxImage frameShot = wxtesting::capture(frame);
    EXPECT_TRUE(wxtesting::saveScreenshot(frameShot, "check-frame.png"));
    EXPECT_GT(wxtesting::distinctColours(frameShot, 8), 4);
    frame->Destroy();
}

} // namespace
