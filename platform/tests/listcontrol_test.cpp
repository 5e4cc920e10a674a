#include "platform/window.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class Table : public CDialog {
  public:
    Table() {
        list = addControl({1320, ControlKind::ListControl, "", {0, 0, 100, 50}, 0});
        list->InsertColumn(0, "Order", 40);
        list->InsertColumn(1, "B Value", 60);
        list->InsertItem(0, "1");
        list->InsertItem(1, "2");
        OnMessage(RegisterWindowMessage("Edit Data"), [this](WPARAM w, LPARAM l) {
            notes.push_back({static_cast<int>(w), static_cast<int>(l)});
            return LRESULT{0};
        });
    }
    CWnd* list;
    std::vector<std::pair<int, int>> notes;
};

TEST(ListControlEdit, AcceptedEditIsAnnouncedToTheParentWithIdAndRow) {
    Table t;
    EXPECT_TRUE(t.list->userEditCell(1, 1, "0.5").accepted);
    EXPECT_EQ(t.list->GetItemText(1, 1), CString("0.5"));
    ASSERT_EQ(t.notes.size(), 1u);
    EXPECT_EQ(t.notes[0], std::make_pair(1320, 1));
}

TEST(ListControlEdit, RefusedOrImpossibleEditsKeepTheCellAndSayNothing) {
    Table t;
    t.list->SetItemText(0, 1, "1.2");
    t.list->setCellHook([](int, int, const CString& s) {
        return s.GetLength() > 0 ? EditVerdict{} : EditVerdict{false, "empty"};
    });
    EXPECT_FALSE(t.list->userEditCell(0, 1, "").accepted);
    EXPECT_EQ(t.list->GetItemText(0, 1), CString("1.2"));
    EXPECT_FALSE(t.list->userEditCell(5, 1, "x").accepted);
    EXPECT_FALSE(t.list->userEditCell(0, 2, "x").accepted);
    EXPECT_TRUE(t.notes.empty());
}

} // namespace
