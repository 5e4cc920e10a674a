#include "frame/maker.h"
#include "frame/modeltext.h"
#include "platform/scripted.h"

#include <gtest/gtest.h>

namespace {

constexpr UnitBoxSetup kPage1[] = {
    {true, 3, 0, 8, 1e-15, 1e15, 3, false, 0.25},
    {false, 2, 0, 8, 10.0, -10.0, 3, true, 1.0}, // limits given the wrong way round
};
constexpr UnitBoxSetup kPage2[] = {
    {true, 0, 4, 4, 1.0, 5.0, 0, false, 2.0}, // a count: no unit choice
};

DialogTemplate page(unsigned id, const char* title, int boxes) {
    DialogTemplate t;
    t.id = id;
    t.caption = title;
    for (int k = 0; k < boxes; ++k) {
        t.controls.push_back({9241 + k, ControlKind::Static, "", {}, 0});
        t.controls.push_back({9221 + k, ControlKind::Edit, "", {}, 0});
    }
    return t;
}

ResourceModule makeModule() {
    ResourceModule m;
    m.name = "FrameTest";
    m.strings = {{8, "Test sheet"}, {1, "Continue with the fallback?"}};
    m.dialogs[100] = page(100, "One", 2);
    m.dialogs[101] = page(101, "Two", 1);
    return m;
}
const ResourceModule g_module = makeModule();

std::vector<std::string> g_trace;

class Page1 : public CMakerPage {
  public:
    Page1() : CMakerPage(100, kPage1) {}
    std::uintptr_t helpContextNumber() const override { return 300; }
    std::uintptr_t helpBits() const override { return 0x6100; }
    void controlSetup() override { g_trace.push_back("page1 setup"); }
    void finalStep() override {
        g_trace.push_back(initialised() ? "page1 final (initialised)" : "page1 final");
    }
};

class Page2 : public CMakerPage {
  public:
    Page2() : CMakerPage(101, kPage2) {}
    std::uintptr_t helpContextNumber() const override { return 301; }
    void controlSetup() override { g_trace.push_back("page2 setup"); }
};

class TestSheet : public CMakerSheet {
  public:
    explicit TestSheet(CString& text) : CMakerSheet(text) {
        AddPage(&m_page1);
        AddPage(&m_page2);
    }
    Page1 m_page1;
    Page2 m_page2;

  protected:
    bool compute() override {
        // Asks once when page 1's current exceeds 1 A; No keeps the sheet open.
        if (m_page1.m_values[0] > 1.0 && !frame::ask(1)) return false;
        m_text = "";
        m_text.AppendFormat("I=%8.3e N=%-1d\r\n", m_page1.m_values[0], static_cast<int>(m_page2.m_values[0]));
        return true;
    }
};

struct FrameTest : ::testing::Test {
    ResourceModule hostModule{"host", {}, {}};
    void SetUp() override {
        AfxRegisterResourceModule(&g_module);
        frame::setInstance(&g_module);
        AfxSetResourceHandle(&hostModule);
        g_trace.clear();
    }
    void TearDown() override {
        AfxUnregisterResourceModule(&g_module);
        AfxSetResourceHandle(nullptr);
    }
    int run(ScriptedPresenter& script, CString& text) {
        Presenter* prev = setPresenter(&script);
        int r = frame::runMaker<TestSheet>(text);
        setPresenter(prev);
        return r;
    }
    static std::vector<ScriptStep> steps(std::initializer_list<std::pair<const char*, const char*>> list) {
        std::vector<ScriptStep> out;
        std::string error;
        for (auto& [verb, arg] : list)
            out.push_back(*parseScriptStep(verb, arg, error));
        return out;
    }
};

TEST_F(FrameTest, PagesInitialiseLastToFirstInTheFixedOrder) {
    ScriptedPresenter script(steps({{"cancel", ""}}));
    CString text;
    run(script, text);
    // Page 1 is created first by the default sheet initialisation, then the pages are activated from
    // the last to the first; each page's own set-up runs before its final step.
    EXPECT_EQ(g_trace, (std::vector<std::string>{"page1 setup", "page1 final (initialised)", "page2 setup"}));
}

TEST_F(FrameTest, BoxesAreSetUpFromTheirRecords) {
    std::vector<std::string> checks;
    CString text;
    // Inspect the window while it is open, after a value typed on page 2.
    ScriptedPresenter inspect(steps({{"set", "2:9221=3"}, {"cancel", ""}}));
    inspect.afterStep = [&](CModalWindow& w, const ScriptStep& step) {
        if (step.kind != ScriptStep::Kind::Set) return;
        auto& sheet = dynamic_cast<TestSheet&>(w);
        auto& b1 = sheet.m_page1.box(1);
        EXPECT_DOUBLE_EQ(b1.m_dMinValue, -10.0);
        EXPECT_DOUBLE_EQ(b1.m_dMaxValue, 10.0);
        EXPECT_FALSE(b1.edit()->IsWindowEnabled());
        EXPECT_TRUE(b1.m_bBoxFlag);
        EXPECT_FALSE(sheet.m_page1.box(0).m_bNoUnit);
        EXPECT_TRUE(sheet.m_page2.box(0).m_bNoUnit);
        EXPECT_EQ(sheet.GetActiveIndex(), 1);
        checks.push_back("seen");
    };
    run(inspect, text);
    EXPECT_EQ(checks.size(), 1u);
}

TEST_F(FrameTest, OkSavesEveryPageThenComputes) {
    ScriptedPresenter script(steps({{"set", "1:9221=20m"}, {"set", "2:9221=4"}}));
    CString text = "left over from the host";
    EXPECT_EQ(run(script, text), 1);
    EXPECT_EQ(text, "I=2.000e-002 N=4\r\n");
    EXPECT_EQ(AfxGetResourceHandle(), &hostModule);
}

TEST_F(FrameTest, DeclinedFallbackKeepsTheSheetOpenAndCancelLeavesNothing) {
    // The first OK is declined (No), the second accepted (Yes).
    ScriptedPresenter script(
        steps({{"set", "1:9221=2"}, {"answer", "no"}, {"ok", ""}, {"answer", "yes"}, {"ok", ""}}));
    CString text;
    EXPECT_EQ(run(script, text), 1);
    ASSERT_EQ(script.messageBoxes().size(), 2u);
    EXPECT_EQ(script.messageBoxes()[0].request.text, "Continue with the fallback?");
    EXPECT_EQ(script.messageBoxes()[0].answer, IDNO);
    EXPECT_EQ(text, "I=2.000e+000 N=2\r\n");

    ScriptedPresenter declined(steps({{"set", "1:9221=2"}, {"ok", ""}, {"cancel", ""}}));
    text = "host text";
    EXPECT_EQ(run(declined, text), 0);
    EXPECT_TRUE(text.IsEmpty());
}

TEST_F(FrameTest, HelpButtonAsksTheActivePage) {
    ScriptedPresenter script(
        steps({{"help-button", ""}, {"set", "2:9221=3"}, {"help-button", ""}, {"cancel", ""}}));
    CString text;
    run(script, text);
    ASSERT_EQ(script.helpRequests().size(), 2u);
    EXPECT_EQ(script.helpRequests()[0].context, 300u | 0x6100u);
    EXPECT_EQ(script.helpRequests()[1].context, 301u);
    EXPECT_EQ(script.helpRequests()[1].module, "FrameTest");
}

TEST_F(FrameTest, ResourceHandleStaysWithThePluginWhenTheHostHadNone) {
    AfxSetResourceHandle(nullptr);
    ScriptedPresenter script(steps({{"cancel", ""}}));
    CString text;
    run(script, text);
    EXPECT_EQ(AfxGetResourceHandle(), &g_module);
}

TEST(ModelText, DateLineHasALeadingZeroAndEnglishNames) {
    setenv("TZ", "UTC", 1);
    tzset();
    setenv("SOURCE_DATE_EPOCH", "1772323200", 1); // 2026-03-01
    EXPECT_EQ(frame::dateText("Date: %A, %B %d, %Y"), "Date: Sunday, March 01, 2026");
    unsetenv("SOURCE_DATE_EPOCH");
    CString t = "x";
    frame::appendLines(t, {"a", "b"});
    EXPECT_EQ(t, "xa\r\nb\r\n");
}

} // namespace
