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

TEST(ListControlColumns, WidthIsSetOnlyForAColumnThatExistsAndNeverNegative) {
    struct Row {
        int col, width;
        bool taken;
        std::vector<int> widths;
    };
    for (const Row& r : {
             Row{1, 146, true, {40, 146}}, Row{0, 0, true, {0, 60}}, // a zero width hides the column
             Row{2, 50, false, {40, 60}}, Row{-1, 50, false, {40, 60}},
             Row{1, -1, false, {40, 60}}, // no auto-size here
         }) {
        Table t;
        EXPECT_EQ(t.list->SetColumnWidth(r.col, r.width), r.taken) << r.col << " " << r.width;
        EXPECT_EQ(t.list->columnWidths(), r.widths) << r.col << " " << r.width;
        EXPECT_EQ(t.list->GetColumnWidth(1), r.widths[1]);
    }
}

TEST(ListControlColumns, SetWidthsMoveWithTheirColumnsAndCellsStay) {
    Table t;
    t.list->SetItemText(1, 1, "0.5");
    ASSERT_TRUE(t.list->SetColumnWidth(1, 130));
    EXPECT_EQ(t.list->InsertColumn(0, "Mark", 20), 0);
    EXPECT_EQ(t.list->columnWidths(), (std::vector<int>{20, 40, 130}));
    EXPECT_EQ(t.list->GetColumnWidth(2), 130);
    EXPECT_EQ(t.list->GetColumnWidth(3), 0);
    // The rows' cells move with their columns; the new column's cells are empty.
    EXPECT_EQ(t.list->GetItemText(1, 0), CString(""));
    EXPECT_EQ(t.list->GetItemText(1, 1), CString("2"));
    EXPECT_EQ(t.list->GetItemText(1, 2), CString("0.5"));
    CWnd plain;
    EXPECT_FALSE(plain.SetColumnWidth(0, 10)) << "a control without columns";
}

} // namespace
