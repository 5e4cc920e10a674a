// The built plug-in as the host loads it: the sheet's presets, routing, switches, questions and help,
// driven through a presenter that acts on the open window.
#include "fake_clock.h"
#include "presets.h"

#include "library/unitbox.h"
#include "platform/presenter.h"
#include "platform/scripted.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

using namespace brannock;

namespace {

using NameFn = CString (*)();
using CreateFn = int (*)(CString&);

// Runs the window through a test's own actions; questions are answered from a queue (No when empty).
class DrivingPresenter : public Presenter {
  public:
    std::function<void(CPropertySheet&)> drive;
    std::deque<bool> answers;
    std::vector<MessageBoxRequest> boxes;
    std::vector<HelpRequest> helps;

    int runModal(CModalWindow& window) override {
        auto* sheet = dynamic_cast<CPropertySheet*>(&window);
        EXPECT_NE(sheet, nullptr);
        if (sheet && drive) drive(*sheet);
        if (!window.ended()) window.EndDialog(IDCANCEL);
        return window.modalResult();
    }
    int messageBox(const MessageBoxRequest& request) override {
        boxes.push_back(request);
        if ((request.type & 0xF) != MB_YESNO) return IDOK;
        bool yes = !answers.empty() && answers.front();
        if (!answers.empty()) answers.pop_front();
        return yes ? IDYES : IDNO;
    }
    void help(const HelpRequest& request) override { helps.push_back(request); }
    std::optional<std::string> chooseFile(const FileDialogRequest&) override { return std::nullopt; }
};

constexpr int kEditBase = 9221;

CWnd* item(CPropertySheet& s, int page, int id) {
    CPropertyPage* p = s.GetPage(page - 1);
    return p ? p->GetDlgItem(id) : nullptr;
}

CUserDefValueSpinUnitBox* boxOf(CPropertySheet& s, int page, int k) {
    CWnd* edit = item(s, page, kEditBase + k);
    return edit ? dynamic_cast<CUserDefValueSpinUnitBox*>(edit->extension()) : nullptr;
}

// What a person does: bring the page to the front, then act on the control.
CWnd* front(CPropertySheet& s, int page, int id) {
    EXPECT_TRUE(s.SetActivePage(page - 1));
    CWnd* c = item(s, page, id);
    EXPECT_NE(c, nullptr) << "control " << id << " on page " << page;
    return c;
}
void click(CPropertySheet& s, int page, int id) {
    if (CWnd* c = front(s, page, id)) c->userClick();
}
void select(CPropertySheet& s, int page, int id, int index) {
    if (CWnd* c = front(s, page, id)) {
        EXPECT_TRUE(c->userSelect(index));
    }
}
void type(CPropertySheet& s, int page, int k, const char* text) {
    if (CWnd* c = front(s, page, kEditBase + k)) {
        c->SetFocus();
        EXPECT_TRUE(c->userEdit(text).accepted) << text;
    }
}
// Sets the switch to the wanted state with clicks, as a person would.
void setCheck(CPropertySheet& s, int page, int id, bool checked) {
    if (CWnd* c = front(s, page, id); c && (c->GetCheck() != 0) != checked) c->userClick();
}

template <size_t N> void expectPage(CPropertySheet& s, int page, const std::array<double, N>& values) {
    for (size_t k = 0; k < N; ++k) {
        CUserDefValueSpinUnitBox* b = boxOf(s, page, static_cast<int>(k));
        ASSERT_NE(b, nullptr) << "page " << page << " box " << k;
        EXPECT_DOUBLE_EQ(b->GetValue(), values[k]) << "page " << page << " box " << k;
    }
}

void expectPresets(CPropertySheet& s, int polarity) {
    const size_t p = static_cast<size_t>(polarity);
    expectPage(s, 1, kGeneralPresets[p]);
    expectPage(s, 2, kTransferPresets[p]);
    expectPage(s, 3, kOptionCPreset);
    expectPage(s, 4, kCapacitancePresets[p]);
    const bool n = polarity == kNmos;
    EXPECT_EQ(item(s, 1, 1264)->GetCurSel(), polarity);
    EXPECT_EQ(item(s, 2, 1169)->GetCheck(), n ? 1 : 0);
    EXPECT_EQ(item(s, 2, 1170)->GetCheck(), n ? 0 : 1);
    EXPECT_EQ(item(s, 2, 1266)->GetCheck(), n ? 1 : 0);
    EXPECT_EQ(item(s, 4, 504)->GetCheck(), n ? 0 : 1);
    EXPECT_EQ(item(s, 4, 505)->GetCheck(), n ? 1 : 0);
    EXPECT_EQ(item(s, 4, 1173)->GetCheck(), n ? 1 : 0);
    for (int k = 0; k < kCapacitanceCount; ++k)
        EXPECT_EQ(boxOf(s, 4, k)->edit()->IsWindowEnabled(), k < 4 || !n) << "page 4 box " << k;
}

class BrannockSheet : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        handle_ = dlopen(BRANNOCK_PLUGIN, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
        name_ = reinterpret_cast<NameFn>(dlsym(handle_, "GetModelMakerName"));
        create_ = reinterpret_cast<CreateFn>(dlsym(handle_, "CreateModelMaker"));
    }
    static void TearDownTestSuite() {
        if (handle_) dlclose(handle_);
        handle_ = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(create_, nullptr);
        previous_ = setPresenter(&presenter_);
    }
    void TearDown() override { setPresenter(previous_); }

    int run(std::function<void(CPropertySheet&)> drive) {
        presenter_.drive = std::move(drive);
        return create_(text_);
    }

    static void* handle_;
    static NameFn name_;
    static CreateFn create_;
    FakeClock clock_{1};
    DrivingPresenter presenter_;
    Presenter* previous_ = nullptr;
    CString text_;
};
void* BrannockSheet::handle_ = nullptr;
NameFn BrannockSheet::name_ = nullptr;
CreateFn BrannockSheet::create_ = nullptr;

bool contains(const CString& text, const char* part) {
    return text.str().find(part) != std::string::npos;
}

} // namespace

TEST_F(BrannockSheet, NameString) {
    EXPECT_EQ(name_(), CString("MOSFET (4 pins: D, G, S, Sub)\nREG"));
}

TEST_F(BrannockSheet, OpensOnTheNmosPresets) {
    run([](CPropertySheet& s) {
        EXPECT_EQ(s.caption(), CString("MOSFET Model (Preset values from Mosfet_MODEL_BS250)"));
        EXPECT_EQ(s.GetPageCount(), 4);
        EXPECT_EQ(s.GetActiveIndex(), 0);
        EXPECT_EQ(s.GetDlgItem(ID_HELP) != nullptr, true);
        const std::vector<CString> items{"NMOS", "PMOS"};
        EXPECT_EQ(item(s, 1, 1264)->items(), items);
        expectPresets(s, kNmos);
        EXPECT_TRUE(item(s, 2, 1176)->IsWindowVisible());
        for (int k = 0; k < kOptionCCount; ++k)
            EXPECT_TRUE(boxOf(s, 3, k)->edit()->IsWindowEnabled()) << k;
    });
}

TEST_F(BrannockSheet, ChoosingAChannelTypeReplacesEveryValueAndTheCaption) {
    run([](CPropertySheet& s) {
        // Edits on every page and every switch flipped: the preset overwrites them all without asking.
        type(s, 2, 5, "7m");
        type(s, 3, 0, "-1");
        type(s, 4, 0, "2p");
        click(s, 4, 1173);
        select(s, 1, 1264, kPmos);
        EXPECT_EQ(s.caption(), CString("MOSFET Model (Preset values from Mosfet_MODEL_BSS83)"));
        expectPresets(s, kPmos);
        EXPECT_TRUE(item(s, 2, 1175)->IsWindowVisible());
        EXPECT_FALSE(item(s, 2, 1176)->IsWindowVisible());

        type(s, 1, 0, "-1");
        click(s, 2, 1169);
        select(s, 1, 1264, kNmos);
        EXPECT_EQ(s.caption(), CString("MOSFET Model (Preset values from Mosfet_MODEL_BS250)"));
        expectPresets(s, kNmos);
    });
    EXPECT_TRUE(presenter_.boxes.empty());
}

struct RouteCase {
    const char* name;
    bool smallVds, threeCurves;
    int label;
    bool optionA, optionB, optionC;
    const char* echo; // the transfer block the text shows
};

class BrannockRouting : public BrannockSheet, public ::testing::WithParamInterface<RouteCase> {};

TEST_P(BrannockRouting, ShowsTheRouteAndTheComputationFollows) {
    const RouteCase& r = GetParam();
    presenter_.answers.assign(4, true);
    const int result = run([&r](CPropertySheet& s) {
        click(s, 2, r.smallVds ? 1169 : 1170);
        setCheck(s, 2, 1266, r.threeCurves);
        for (int id : {1174, 1175, 1176, 1177})
            EXPECT_EQ(item(s, 2, id)->IsWindowVisible(), id == r.label) << id;
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(boxOf(s, 2, k)->edit()->IsWindowEnabled(), r.optionA) << k;
        for (int k = 4; k < 9; ++k)
            EXPECT_EQ(boxOf(s, 2, k)->edit()->IsWindowEnabled(), r.optionB) << k;
        for (int k = 0; k < kOptionCCount; ++k)
            EXPECT_EQ(boxOf(s, 3, k)->edit()->IsWindowEnabled(), r.optionC) << k;
        s.pressButton(IDOK);
    });
    ASSERT_EQ(result, 1);
    EXPECT_TRUE(contains(text_, r.echo)) << r.echo;
    // The not-modelled combination computes as option B: the same card.
    EXPECT_EQ(contains(text_, "GAMMA="), r.optionC);
}

INSTANTIATE_TEST_SUITE_P(
    Each, BrannockRouting,
    ::testing::Values(RouteCase{"A", true, false, 1174, true, false, false,
                                "ID_GS \t\t\t\t= 1\r\n* Identifier ID_Num \t\t\t\t= 0\r\n* Transfer "
                                "Characteristics (Option A)\r\n"},
                      RouteCase{"B", false, false, 1175, false, true, false,
                                "ID_GS \t\t\t\t= 0\r\n* Identifier ID_Num \t\t\t\t= 0\r\n* Transfer "
                                "Characteristics (Option B)\r\n"},
                      RouteCase{
                          "C", true, true, 1176, false, false, true,
                          "ID_Num \t\t\t\t= 1\r\n* Transfer Characteristics (Option A)\t\tnot available\r\n"},
                      RouteCase{"NotModelled", false, true, 1177, false, false, false,
                                "ID_GS \t\t\t\t= 0\r\n* Identifier ID_Num \t\t\t\t= 1\r\n* Not modelled. Go "
                                "to other options\r\n"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(BrannockSheet, NotModelledCardEqualsOptionB) {
    presenter_.answers.assign(4, true);
    ASSERT_EQ(run([](CPropertySheet& s) {
                  click(s, 2, 1170);
                  setCheck(s, 2, 1266, false);
                  s.pressButton(IDOK);
              }),
              1);
    const std::string b = text_.str();
    presenter_.answers.assign(4, true);
    ASSERT_EQ(run([](CPropertySheet& s) {
                  click(s, 2, 1170);
                  s.pressButton(IDOK);
              }),
              1);
    const std::string n = text_.str();
    EXPECT_EQ(b.substr(b.find(".MODEL")), n.substr(n.find(".MODEL")));
}

TEST_F(BrannockSheet, CurveCheckBoxEnablesTheCurvePoints) {
    run([](CPropertySheet& s) {
        click(s, 4, 1173);
        for (int k = 0; k < kCapacitanceCount; ++k)
            EXPECT_TRUE(boxOf(s, 4, k)->edit()->IsWindowEnabled()) << k;
        click(s, 4, 1173);
        for (int k = 0; k < kCapacitanceCount; ++k)
            EXPECT_EQ(boxOf(s, 4, k)->edit()->IsWindowEnabled(), k < 4) << k;
    });
}

TEST_F(BrannockSheet, BulkToSourceWithCurvesRunsTheFit) {
    ASSERT_EQ(run([](CPropertySheet& s) {
                  select(s, 1, 1264, kPmos);
                  s.pressButton(IDOK);
              }),
              1);
    EXPECT_TRUE(contains(text_, "+ CBD=2.000e-011 IS=9.000e-014\r\n+ CGSO = 1.200e-007 CGDO = 3.000e-008\r\n"
                                "+ MJ=3.222e-001 PB=1.000e+000  FC=5.00e-001 \r\n"));
    EXPECT_FALSE(contains(text_, "CBS"));
    EXPECT_FALSE(contains(text_, "CGBO"));
}

TEST_F(BrannockSheet, NoKeepsTheSheetOpenAndYesTakesTheFallback) {
    presenter_.answers = {false, true};
    const int result = run([](CPropertySheet& s) {
        type(s, 1, 2, "1"); // Ids_Ohmic of 1 A: no real resistance fits
        s.pressButton(IDOK);
        EXPECT_FALSE(s.ended());
        s.pressButton(IDOK);
        EXPECT_TRUE(s.ended());
    });
    EXPECT_EQ(result, 1);
    ASSERT_EQ(presenter_.boxes.size(), 2u);
    for (const auto& b : presenter_.boxes) {
        EXPECT_EQ(b.text,
                  CString("The values in Output Characteristics are out of range. Do you want to use zero "
                          "values for RD and RS?"));
        EXPECT_EQ(b.type & 0xF, static_cast<UINT>(MB_YESNO));
    }
    EXPECT_TRUE(contains(text_, "RD = 0.000e+000 RS = 0.000e+000"));
}

TEST_F(BrannockSheet, DeclinedThenCancelledLeavesTheTextEmpty) {
    text_ = "the host's old text";
    presenter_.answers = {false};
    // The host's own resources are current on entry and again on return.
    ResourceModule host;
    host.name = "host";
    HINSTANCE before = AfxGetResourceHandle();
    AfxSetResourceHandle(&host);
    const int result = run([](CPropertySheet& s) {
        type(s, 4, 0, "1p"); // Crss above Ciss / 2.2
        s.pressButton(IDOK);
        EXPECT_FALSE(s.ended());
        s.pressButton(IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(text_.IsEmpty());
    ASSERT_EQ(presenter_.boxes.size(), 1u);
    EXPECT_EQ(presenter_.boxes[0].text,
              CString("Capacitances values are out of range. Do you want to use zero "
                      "values for CGSO, CGDO and CGBO?"));
    EXPECT_EQ(AfxGetResourceHandle(), &host);
    AfxSetResourceHandle(before);
}

TEST_F(BrannockSheet, HelpButtonAsksForTheActivePagesTopic) {
    run([](CPropertySheet& s) {
        for (int page = 0; page < 4; ++page) {
            ASSERT_TRUE(s.SetActivePage(page));
            s.pressButton(ID_HELP);
        }
    });
    ASSERT_EQ(presenter_.helps.size(), 4u);
    const std::uintptr_t contexts[4] = {660, 670, 651, 652};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(presenter_.helps[i].module, "Brannock");
        EXPECT_EQ(presenter_.helps[i].context, contexts[i]);
    }
}

TEST_F(BrannockSheet, TwoRunsGiveTwoWholeTexts) {
    ASSERT_EQ(run([](CPropertySheet& s) { s.pressButton(IDOK); }), 1);
    const CString first = text_;
    ASSERT_EQ(run([](CPropertySheet& s) { s.pressButton(IDOK); }), 1);
    EXPECT_EQ(text_, first);
    EXPECT_EQ(text_.str().rfind("**************   Field Effect Transistor", 0), 0u);
}

TEST_F(BrannockSheet, ScriptedRunAsTheHostDoesIt) {
    // The host's scripted steps: PMOS, then the curve points off; OK is pressed when the steps run out.
    std::vector<ScriptStep> steps;
    for (auto [verb, arg] :
         std::vector<std::pair<const char*, const char*>>{{"select", "1:1264=1"}, {"click", "4:1173"}}) {
        std::string error;
        auto step = parseScriptStep(verb, arg, error);
        ASSERT_TRUE(step) << error;
        steps.push_back(*step);
    }
    ScriptedPresenter scripted(steps);
    setPresenter(&scripted);
    EXPECT_EQ(create_(text_), 1);
    EXPECT_FALSE(scripted.refusal().has_value());
    EXPECT_TRUE(contains(text_, ".MODEL Mosfet_MODEL_BSS83 PMOS \r\n"));
    // Data-sheet values with bulk to source: the fixed grading, no fit.
    EXPECT_TRUE(contains(text_, "* Identifier ID_Cap \t\t\t\t= 1\r\n"));
    EXPECT_TRUE(contains(text_, "+ MJ=4.600e-001 PB=8.000e-001  FC=5.00e-001 \r\n"));
}
