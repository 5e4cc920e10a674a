// The value boxes of a page or parameter dialog, described as a table: one row per box with its label,
// its place, its unit and limits, its default and the field of the maker's inputs it binds to. No
// window header: the cores and their tests include this.
#pragma once

#include "library/units.h"
#include "platform/resources.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// One value box's set-up, in box order.
struct UnitBoxSetup {
    bool enabled;
    int unitKind;
    int lowPrefix;
    int highPrefix;
    double minimum;
    double maximum;
    int digits;
    bool boxFlag;
    double defaultValue;
};

// The parameter dialog's record: the string-table ID of the label in front.
struct LabelledUnitBoxSetup {
    unsigned labelId;
    UnitBoxSetup box;
};

namespace frame {

// The largest value most boxes accept.
inline constexpr double kMaxValue = 999999999999999.0;

// Where a box's value lives in the maker's inputs: a double member, or any double reached by a
// function (an element of an array member, see `at`).
template <typename Inputs> struct Field {
    double Inputs::*member = nullptr;
    double& (*access)(Inputs&) = nullptr;

    constexpr Field() noexcept {}
    constexpr Field(double Inputs::*m) : member(m) {}
    constexpr Field(double& (*f)(Inputs&)) : access(f) {}

    double& of(Inputs& in) const { return member ? in.*member : access(in); }
    bool bound() const { return member || access; }
};

template <typename T> struct MemberOf;
template <typename C, typename M> struct MemberOf<M C::*> { using Class = C; };

// Element `Index` of an array member: `frame::at<&Inputs::secondary, 2>()`.
template <auto Array, std::size_t Index> constexpr auto at() {
    using Inputs = typename MemberOf<decltype(Array)>::Class;
    return Field<Inputs>(+[](Inputs& in) -> double& { return (in.*Array)[Index]; });
}

template <typename Inputs> struct BoxRow;

// Binds rows 0, 1, … in order to the elements of an array member of the inputs.
template <auto Array> auto bindEach(std::vector<BoxRow<typename MemberOf<decltype(Array)>::Class>> rows) {
    using Inputs = typename MemberOf<decltype(Array)>::Class;
    constexpr std::size_t n =
        std::tuple_size_v<std::remove_cvref_t<decltype(std::declval<Inputs&>().*Array)>>;
    [&]<std::size_t... I>(std::index_sequence<I...>) {
        ((I < rows.size() ? void(rows[I].field = at<Array, I>()) : void()), ...);
    }
    (std::make_index_sequence<n>{});
    return rows;
}

// One box: its label, limits and default, the field it binds to, and where it stands (dialog units).
// Rectangles left empty come from the table's row rule or layout.
template <typename Inputs> struct BoxRow {
    const char* label = "";
    unsigned labelId = 0; // parameter dialog: the string-table ID the label shows
    Unit unit = Unit::None;
    int lowPrefix = 0;
    int highPrefix = 8;
    double minimum = 1e-15;
    double maximum = kMaxValue;
    int digits = 3;
    bool boxFlag = false;
    bool enabled = true;
    double defaultValue = 0;
    Field<Inputs> field{};
    DlgRect labelRect{};
    DlgRect boxRect{};

    UnitBoxSetup setup() const {
        return {enabled, unitKind(unit), lowPrefix, highPrefix,  minimum,
                maximum, digits,         boxFlag,   defaultValue};
    }
};

// Places row k at y[k] with one label column and one box column.
struct RowRule {
    int labelX = 0, labelWidth = 0, boxX = 0, boxWidth = 0;
    std::vector<int> y;
    int labelHeight = 8, boxHeight = 12;
};

// A table's other controls, one line each.
inline ControlTemplate groupBox(const char* title, DlgRect r) {
    return {-1, ControlKind::GroupBox, title, r, 0};
}
inline ControlTemplate label(const char* s, DlgRect r, std::uint32_t style = 0, int id = -1) {
    return {id, ControlKind::Static, s, r, style};
}
// A radio button; the first of a group carries kStyleGroup.
inline ControlTemplate radio(int id, const char* s, DlgRect r, std::uint32_t style = 0) {
    return {id, ControlKind::RadioButton, s, r, style};
}
inline ControlTemplate checkBox(int id, const char* s, DlgRect r, std::uint32_t style = kStyleGroup) {
    return {id, ControlKind::CheckBox, s, r, style};
}
inline ControlTemplate dropList(int id, DlgRect r, std::uint32_t style = kStyleDropList | kStyleVScroll) {
    return {id, ControlKind::ComboBox, "", r, style};
}

// Builds a template in dialog units: group boxes, other controls, and labelled boxes by row index.
class TemplateBuilder {
  public:
    TemplateBuilder(DialogTemplate& d, int editBase, int labelBase, std::uint32_t labelStyle)
        : d_(d), editBase_(editBase), labelBase_(labelBase), labelStyle_(labelStyle) {}
    void control(int id, ControlKind kind, const char* text, DlgRect r, std::uint32_t style = 0) {
        d_.controls.push_back({id, kind, text, r, style});
    }
    void group(const char* title, DlgRect r) { control(-1, ControlKind::GroupBox, title, r); }
    // Label k left of box k; the label's text is filled in by the table.
    void box(int k, DlgRect labelRect, DlgRect boxRect) {
        control(labelBase_ + k, ControlKind::Static, "", labelRect, labelStyle_);
        control(editBase_ + k, ControlKind::Edit, "", boxRect);
    }
    // Row k at (x, y): a label `labelWidth` wide, then the box.
    void row(int k, int x, int y, int labelWidth, int boxWidth) {
        box(k, {x, y + 2, labelWidth, 8}, {x + labelWidth + 4, y, boxWidth, 12});
    }
    // A group box holding rows first … first + count − 1, 14 units apart; returns the y below it.
    int column(const char* title, int first, int count, int x, int y, int width, int labelWidth,
               int boxWidth) {
        const int h = 14 * count + 18;
        group(title, {x, y, width, h});
        for (int i = 0; i < count; ++i)
            row(first + i, x + 6, y + 12 + 14 * i, labelWidth, boxWidth);
        return y + h + 4;
    }

  private:
    DialogTemplate& d_;
    int editBase_, labelBase_;
    std::uint32_t labelStyle_;
};

enum class Form { SheetPage, ParameterDialog };

// A page or parameter dialog: its template, its boxes and the controls around them.
template <typename Inputs> struct BoxTable {
    unsigned templateId = 0;
    const char* caption = "";
    int width = 0, height = 0;
    Form form = Form::SheetPage;
    std::vector<BoxRow<Inputs>> rows{};
    // Everything that is not a labelled box: buttons, radio buttons, group boxes, lines.
    std::vector<ControlTemplate> controls{};
    RowRule rule{};
    // Places the boxes (and any groups) when rows and rule give no rectangles.
    void (*layout)(TemplateBuilder&) = nullptr;
    // 0: the form's own numbering (sheet pages 9221 + k / 9241 + k, the dialog 9201 + k / 9221 + k).
    int editBase = 0, labelBase = 0;
    std::uint32_t labelStyle = kStyleRight | kStyleCenterV;

    int edit(int k) const { return (editBase ? editBase : form == Form::SheetPage ? 9221 : 9201) + k; }
    int labelControl(int k) const {
        return (labelBase ? labelBase : form == Form::SheetPage ? 9241 : 9221) + k;
    }
    std::vector<UnitBoxSetup> setups() const {
        std::vector<UnitBoxSetup> s;
        for (const auto& r : rows)
            s.push_back(r.setup());
        return s;
    }
    // The maker's inputs with every bound box at its default.
    void applyDefaults(Inputs& in) const {
        for (const auto& r : rows)
            if (r.field.bound()) r.field.of(in) = r.defaultValue;
    }

    // The dialog template: the other controls, then a label and an edit per row. Sheet pages carry the
    // label text in the template; the parameter dialog shows its string-table text at initialisation.
    DialogTemplate dialogTemplate() const {
        DialogTemplate d;
        d.id = templateId;
        d.caption = caption;
        d.width = width;
        d.height = height;
        d.controls = controls;
        TemplateBuilder b(d, edit(0), labelControl(0), labelStyle);
        const size_t placed = d.controls.size();
        if (layout) layout(b);
        for (size_t k = 0; k < rows.size(); ++k) {
            const auto& r = rows[k];
            const int i = static_cast<int>(k);
            if (placesEdit(d, edit(i))) continue;
            if (r.boxRect.w > 0)
                b.box(i, r.labelRect, r.boxRect);
            else if (k < rule.y.size())
                b.box(i, {rule.labelX, rule.y[k] + 2, rule.labelWidth, rule.labelHeight},
                      {rule.boxX, rule.y[k], rule.boxWidth, rule.boxHeight});
            else // a row nothing places still gets its box: one plain column
                b.row(i, 6, 6 + 14 * i, 140, 70);
        }
        if (form == Form::SheetPage)
            for (size_t c = placed; c < d.controls.size(); ++c)
                if (auto& ct = d.controls[c]; ct.kind == ControlKind::Static)
                    for (size_t k = 0; k < rows.size(); ++k)
                        if (ct.id == labelControl(static_cast<int>(k))) ct.text = rows[k].label;
        return d;
    }
    static bool placesEdit(const DialogTemplate& d, int id) {
        for (const auto& c : d.controls)
            if (c.id == id && c.kind == ControlKind::Edit) return true;
        return false;
    }
    // The parameter dialog's label strings, for the string table.
    void addLabelStrings(ResourceModule& m) const {
        for (const auto& r : rows)
            if (r.labelId) m.strings[r.labelId] = r.label;
    }
};

} // namespace frame
