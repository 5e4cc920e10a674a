// Pages and dialogs described as tables: the template built from the rows, the boxes bound to the
// maker's inputs, and the frame's refusal of a text that prints inf or nan.
#include "frame/maker.h"
#include "platform/scripted.h"

#include <gtest/gtest.h>

#include <array>

namespace {

struct Inputs {
    double current = 0;
    std::array<double, 2> volts{};
    double unbound = -1;
};

using Row = frame::BoxRow<Inputs>;

// Boxes on 9201 + k with labels on 9221 + k, as some sheets number them.
const frame::BoxTable<Inputs> kPage{
    .templateId = 100,
    .caption = "Page",
    .width = 200,
    .height = 100,
    .rows = {{.label = "Current", .unit = Unit::Ampere, .defaultValue = 0.5, .field = &Inputs::current},
             {.label = "V1",
              .unit = Unit::Volt,
              .minimum = -10,
              .maximum = 10,
              .boxFlag = true,
              .defaultValue = 1,
              .field = frame::at<&Inputs::volts, 0>()},
             {.label = "V2",
              .unit = Unit::Volt,
              .defaultValue = 2,
              .field = frame::at<&Inputs::volts, 1>(),
              .labelRect = {5, 50, 40, 8},
              .boxRect = {50, 48, 60, 12}}},
    .controls = {{-1, ControlKind::GroupBox, "Values", {1, 1, 198, 98}, 0}},
    .rule = {.labelX = 5, .labelWidth = 40, .boxX = 50, .boxWidth = 60, .y = {10, 24}},
    .editBase = 9201,
    .labelBase = 9221,
};

const frame::BoxTable<Inputs> kDialog{
    .templateId = 103,
    .caption = "Dialog",
    .form = frame::Form::ParameterDialog,
    .rows = frame::bindEach<&Inputs::volts>(
        {{.label = "First", .labelId = 11, .unit = Unit::Volt, .defaultValue = 3},
         {.label = "Second", .labelId = 12, .unit = Unit::Volt, .defaultValue = 4}}),
};

const ControlTemplate* find(const DialogTemplate& d, int id) {
    for (const auto& c : d.controls)
        if (c.id == id) return &c;
    return nullptr;
}

TEST(BoxTable, TemplateHasTheRowsOnTheTablesNumbersAtTheirPlaces) {
    const DialogTemplate d = kPage.dialogTemplate();
    EXPECT_EQ(d.id, 100u);
    EXPECT_EQ(d.caption, "Page");
    ASSERT_EQ(d.controls.size(), 7u);
    EXPECT_EQ(d.controls[0].kind, ControlKind::GroupBox);
    // Rows 0 and 1 from the rule, row 2 from its own rectangles.
    const struct {
        int label, edit;
        const char* text;
        DlgRect labelRect, boxRect;
    } expected[] = {{9221, 9201, "Current", {5, 12, 40, 8}, {50, 10, 60, 12}},
                    {9222, 9202, "V1", {5, 26, 40, 8}, {50, 24, 60, 12}},
                    {9223, 9203, "V2", {5, 50, 40, 8}, {50, 48, 60, 12}}};
    for (const auto& e : expected) {
        const ControlTemplate* l = find(d, e.label);
        const ControlTemplate* b = find(d, e.edit);
        ASSERT_TRUE(l && b) << e.text;
        EXPECT_EQ(l->kind, ControlKind::Static);
        EXPECT_EQ(l->text, e.text);
        EXPECT_EQ(b->kind, ControlKind::Edit);
        EXPECT_EQ((std::array{l->rect.x, l->rect.y, l->rect.w, l->rect.h}),
                  (std::array{e.labelRect.x, e.labelRect.y, e.labelRect.w, e.labelRect.h}));
        EXPECT_EQ((std::array{b->rect.x, b->rect.y, b->rect.w, b->rect.h}),
                  (std::array{e.boxRect.x, e.boxRect.y, e.boxRect.w, e.boxRect.h}));
    }
}

TEST(BoxTable, DialogLabelsComeFromTheStringTableAndDefaultsFillTheBoundFields) {
    const DialogTemplate d = kDialog.dialogTemplate();
    ASSERT_NE(find(d, 9201), nullptr);
    ASSERT_NE(find(d, 9222), nullptr);
    EXPECT_EQ(find(d, 9221)->text, "");
    ResourceModule m;
    kDialog.addLabelStrings(m);
    EXPECT_EQ(m.strings[11], "First");
    EXPECT_EQ(m.strings[12], "Second");

    Inputs in;
    kPage.applyDefaults(in);
    EXPECT_DOUBLE_EQ(in.current, 0.5);
    EXPECT_DOUBLE_EQ(in.volts[0], 1);
    EXPECT_DOUBLE_EQ(in.volts[1], 2);
    EXPECT_DOUBLE_EQ(in.unbound, -1);
    const auto setups = kPage.setups();
    ASSERT_EQ(setups.size(), 3u);
    EXPECT_EQ(setups[0].unitKind, 3);
    EXPECT_TRUE(setups[1].boxFlag);
    EXPECT_DOUBLE_EQ(setups[1].minimum, -10);
}

// ---------------------------------------------------------------- the table page in a sheet

ResourceModule makeModule() {
    ResourceModule m;
    m.name = "TableTest";
    m.strings = {{8, "Table sheet"}};
    m.dialogs[100] = kPage.dialogTemplate();
    return m;
}
const ResourceModule g_module = makeModule();

// What the sheet writes on OK; tests set it to provoke the non-finite refusal.
double g_printed = 0;

class Page : public CTablePage<Inputs> {
  public:
    explicit Page(Inputs& in) : CTablePage(kPage, in) {}
    std::uintptr_t helpContextNumber() const override { return 10; }
};

class Sheet : public CMakerSheet {
  public:
    explicit Sheet(CString& text) : CMakerSheet(text) { AddPage(&m_page); }
    Inputs m_in;
    Page m_page{m_in};

  protected:
    bool compute() override {
        m_text = "";
        m_text.AppendFormat("I=%g V1=%g V2=%g X=%g\r\n", m_in.current, m_in.volts[0], m_in.volts[1],
                            g_printed);
        return true;
    }
};

struct TableSheet : ::testing::Test {
    void SetUp() override {
        AfxRegisterResourceModule(&g_module);
        frame::setInstance(&g_module);
        g_printed = 0;
    }
    void TearDown() override {
        AfxUnregisterResourceModule(&g_module);
        AfxSetResourceHandle(nullptr);
    }
    static int run(ScriptedPresenter& script, CString& text) {
        Presenter* prev = setPresenter(&script);
        const int r = frame::runMaker<Sheet>(text);
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

TEST_F(TableSheet, TypedValuesReachTheBoundFieldsOnTheTablesEditNumbers) {
    ScriptedPresenter script(steps({{"set", "9201=20m"}, {"set", "9203=7"}}));
    CString text;
    EXPECT_EQ(run(script, text), 1);
    EXPECT_EQ(text, "I=0.02 V1=1 V2=7 X=0\r\n");
}

TEST_F(TableSheet, TextWithInfOrNanIsRefusedAndTheSheetStaysOpen) {
    for (double bad : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::quiet_NaN()}) {
        g_printed = bad;
        ScriptedPresenter script(steps({{"ok", ""}, {"cancel", ""}}));
        CString text = "host text";
        EXPECT_EQ(run(script, text), 0);
        EXPECT_TRUE(text.IsEmpty());
        ASSERT_EQ(script.messageBoxes().size(), 1u);
        EXPECT_NE(script.messageBoxes()[0].request.text.str().find("not a finite number"), std::string::npos);
        EXPECT_NE(script.messageBoxes()[0].request.text.str().find("X="), std::string::npos)
            << "the message names the line";
    }
}

TEST(NonFinite, OnlyPrintfsOwnSpellingsCount) {
    EXPECT_TRUE(frame::nonFiniteInText("+ LAMBDA=inf\r\n"));
    EXPECT_TRUE(frame::nonFiniteInText("* x\r\n+ VTO=-nan KP=1\r\n"));
    EXPECT_TRUE(frame::nonFiniteInText("R1 1 2 -inf"));
    EXPECT_FALSE(frame::nonFiniteInText("* information, Vinf and nano are words\r\n"));
    EXPECT_FALSE(frame::nonFiniteInText("+ KP=1.000e+000\r\n"));
    EXPECT_EQ(
        *frame::nonFiniteInText("* a\r\n+ VTO=-nan KP=1\r\n* b"),
        "The model cannot be written: a computed value is not a finite number, in the line \"+ VTO=-nan "
        "KP=1\". Check the entered values.");

    const auto named = frame::nonFiniteMessage({{"KP", 1.0, "page 2"}, {"LAMBDA", 1.0 / 0.0, "the curves"}});
    ASSERT_TRUE(named);
    EXPECT_NE(named->find("LAMBDA"), std::string::npos);
    EXPECT_NE(named->find("the curves"), std::string::npos);
    EXPECT_FALSE(frame::nonFiniteMessage({{"KP", 1.0, "page 2"}}));
}

} // namespace
