#include "pressoc/listctrl.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A window holding one list control, as a page does, that records every "Edit Data" it receives.
class Owner : public CDialog {
  public:
    Owner() {
        addControl({1320, ControlKind::ListControl, "", {21, 104, 232, 82}, 0});
        addControl({1321, ControlKind::Edit, "", {0, 0, 10, 10}, 0});
        OnMessage(RegisterWindowMessage("Edit Data"), [this](WPARAM id, LPARAM row) {
            notes.push_back({static_cast<int>(id), static_cast<int>(row)});
            return LRESULT{0};
        });
    }
    std::vector<std::pair<int, int>> notes;
};

std::vector<std::string> column(const CVirtualListCtrl& l, int col) {
    std::vector<std::string> out;
    for (int r = 0; r < l.GetItemCount(); ++r)
        out.push_back(l.GetCellText(r, col).str());
    return out;
}

LVITEM item(int index, const char* text) {
    return {LVIF_TEXT, index, 0, text};
}

class PressocList : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(list.SubclassDlgItem(1320, &owner));
        list.AddColumn(0, 40, "Order", 0, 0, 0, 0, 0, 0, 0, 15);
        list.AddColumn(1, 152, "B Value", 1, 0x80, 0, 9, 1, 0, 0, 15);
        list.AddColumn(2, 152, "H Value", 1, 0x80, 0, 9, 1, 0, 0, 15);
    }
    Owner owner;
    CListCtrlExtEditable list;
};

TEST_F(PressocList, OnlyListControlsAreTakenOver) {
    CListCtrlExtEditable other;
    EXPECT_FALSE(other.SubclassDlgItem(1321, &owner)); // an edit control
    EXPECT_FALSE(other.SubclassDlgItem(999, &owner));
    EXPECT_FALSE(other.SubclassDlgItem(1320, nullptr));
    EXPECT_EQ(other.InsertItem(item(1, "1")), -1);
    EXPECT_EQ(other.GetItemCount(), 0);
}

TEST_F(PressocList, ColumnsLandInTheControlWithTheirWidthsAndEditability) {
    CWnd* c = owner.GetDlgItem(1320);
    EXPECT_EQ(c->columns(), (std::vector<CString>{"Order", "B Value", "H Value"}));
    EXPECT_EQ(c->columnWidths(), (std::vector<int>{40, 152, 152}));
    EXPECT_FALSE(list.IsColumnEditable(0));
    EXPECT_TRUE(list.IsColumnEditable(1));
    EXPECT_TRUE(list.IsColumnEditable(2));
    EXPECT_FALSE(list.IsColumnEditable(3));
    ASSERT_EQ(list.columnFlags().size(), 3u);
    EXPECT_EQ(list.columnFlags()[1].editKind, 9);
    EXPECT_TRUE(list.SetColumnWidth(2, 130));
    EXPECT_EQ(list.GetColumnWidth(2), 130);
    EXPECT_FALSE(list.SetColumnWidth(3, 10));
    EXPECT_EQ(list.GetColumnWidth(-1), 0);
}

TEST_F(PressocList, AWidthSetAfterAddingTheColumnIsTheControlsForThePresenters) {
    CWnd* c = owner.GetDlgItem(1320);
    struct Case {
        int col, width;
        bool taken;
        int stored;
    };
    for (const Case& k : {Case{2, 146, true, 146}, Case{2, 130, true, 130}, Case{1, -20, true, 0},
                          Case{3, 50, false, 0}, Case{-1, 50, false, 0}}) {
        EXPECT_EQ(list.SetColumnWidth(k.col, k.width), k.taken) << k.col << " " << k.width;
        EXPECT_EQ(list.GetColumnWidth(k.col), k.stored) << k.col;
        if (k.taken) {
            EXPECT_EQ(c->columnWidths()[static_cast<size_t>(k.col)], k.stored);
        }
    }
    EXPECT_EQ(c->columnWidths(), (std::vector<int>{40, 0, 130}));
    EXPECT_EQ(list.GetColumnCount(), 3);
}

TEST(PressocColumns, WidthsFollowTheControlTakenOverAndGoWithIt) {
    auto owner = std::make_unique<Owner>();
    CListCtrlExtEditable list;
    EXPECT_FALSE(list.SetColumnWidth(0, 10)) << "no control yet";
    ASSERT_TRUE(list.SubclassDlgItem(1320, owner.get()));
    list.AddColumn(0, 40, "Order", 0, 0, 0, 0, 0, 0, 0, 15);
    ASSERT_TRUE(list.SetColumnWidth(0, 55));
    // A page created again has a fresh control: its columns are the ones added to it.
    Owner again;
    ASSERT_TRUE(list.SubclassDlgItem(1320, &again));
    EXPECT_EQ(list.GetColumnCount(), 0);
    list.AddColumn(0, 42, "Order", 0, 0, 0, 0, 0, 0, 0, 15);
    EXPECT_EQ(list.GetColumnWidth(0), 42);
    EXPECT_EQ(owner->GetDlgItem(1320)->columnWidths(), (std::vector<int>{55}));
    again.destroyControls();
    EXPECT_EQ(list.control(), nullptr);
    EXPECT_EQ(list.GetColumnCount(), 0);
    EXPECT_FALSE(list.SetColumnWidth(0, 10));
}

TEST_F(PressocList, GeometryFollowsTheControlInReferencePixels) {
    EXPECT_EQ(list.GetWindowWidth(), 348); // 232 dialog units × 6 / 4
    EXPECT_EQ(list.GetClientWidth(), 344);
    EXPECT_EQ(list.GetCountPerPage(), 6); // 82 units → 133 px, less borders and header, 16 px rows
}

TEST_F(PressocList, ItemCountAndNumberedItemsBuildTheRows) {
    ASSERT_TRUE(list.SetItemCountEx(3, 0));
    EXPECT_EQ(list.GetItemCount(), 3);
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(list.InsertItem(item(i, std::to_string(i).c_str())), i - 1);
    EXPECT_EQ(column(list, 0), (std::vector<std::string>{"1", "2", "3"}));
    // Just past the end adds a row; further out, or item 0, is refused.
    EXPECT_EQ(list.InsertItem(item(4, "4")), 3);
    EXPECT_EQ(list.InsertItem(item(6, "6")), -1);
    EXPECT_EQ(list.InsertItem(item(0, "0")), -1);
    EXPECT_EQ(list.InsertItem({LVIF_TEXT, 1, 1, "x"}), -1); // sub-items go through SetCellText
    EXPECT_EQ(list.GetItemCount(), 4);

    EXPECT_TRUE(list.SetCellText(1, 1, "0.5"));
    EXPECT_FALSE(list.SetCellText(9, 1, "0.5"));
    EXPECT_FALSE(list.SetCellText(1, 3, "0.5"));
    // Shrinking keeps the first rows as they were; growing adds empty rows.
    ASSERT_TRUE(list.SetItemCountEx(2));
    EXPECT_EQ(column(list, 0), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(list.GetCellText(1, 1), CString("0.5"));
    ASSERT_TRUE(list.SetItemCountEx(4));
    EXPECT_EQ(column(list, 1), (std::vector<std::string>{"", "0.5", "", ""}));
    EXPECT_FALSE(list.SetItemCountEx(-1));
    EXPECT_FALSE(list.SetItemCountEx(CVirtualListCtrl::kMaxRows + 1));
    EXPECT_EQ(list.GetItemCount(), 4);
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(PressocList, CellEditsAreCheckedByColumnAndOwnerAndAnnounced) {
    list.SetItemCountEx(2);
    list.SetCellText(0, 1, "1.0");
    list.SetEditCheck([](int, int, const CString& t) {
        return t == "bad" ? EditVerdict{false, "not a number"} : EditVerdict{};
    });
    CWnd* c = owner.GetDlgItem(1320);
    struct Case {
        int row, col;
        const char* text;
        bool accepted;
    };
    const Case cases[] = {
        {0, 1, "1.5", true},  {1, 2, "13.89", true}, {0, 0, "7", false},
        {0, 1, "bad", false}, {5, 1, "1", false},
    };
    for (const auto& k : cases) {
        const CString before = list.GetCellText(k.row, k.col);
        EXPECT_EQ(c->userEditCell(k.row, k.col, k.text).accepted, k.accepted) << k.row << "," << k.col;
        EXPECT_EQ(list.GetCellText(k.row, k.col), k.accepted ? CString(k.text) : before);
    }
    EXPECT_EQ(owner.notes, (std::vector<std::pair<int, int>>{{1320, 0}, {1320, 1}}));
}

TEST(PressocLifetime, TheListLetsGoOfADestroyedControlAndTheControlOfAGoneList) {
    auto owner = std::make_unique<Owner>();
    {
        CListCtrlExtEditable list;
        ASSERT_TRUE(list.SubclassDlgItem(1320, owner.get()));
        list.AddColumn(0, 40, "Order", 1, 0, 0, 0, 0, 0, 0, 15);
        list.SetItemCountEx(1);
    }
    // The list object is gone: the control edits on its own and still announces the edit.
    EXPECT_TRUE(owner->GetDlgItem(1320)->userEditCell(0, 0, "x").accepted);
    EXPECT_EQ(owner->notes.size(), 1u);

    CListCtrlExtEditable list;
    ASSERT_TRUE(list.SubclassDlgItem(1320, owner.get()));
    owner.reset();
    EXPECT_EQ(list.control(), nullptr);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_FALSE(list.SetCellText(0, 0, "x"));
}

} // namespace
