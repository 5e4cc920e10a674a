#include "library/unitbox.h"

#include "platform/format.h"
#include "platform/line_reader.h"
#include "platform/presenter.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

const UINT kDataChanged = RegisterWindowMessage("User_Def_Data_Changed");

struct UnitName {
    int kind;
    const char* symbol;
};
constexpr UnitName kUnits[] = {
    {1, "Hz"},  {2, "V"},    {3, "A"},  {4, "Ω"},   {5, "F"},   {6, "H"},         {7, "s"},     {9, "Ω"},
    {10, "dB"}, {21, "Ω·m"}, {26, "m"}, {27, "m²"}, {30, "ft"}, {35, "dB/100ft"}, {36, "V/mV"}, {37, "V/µs"},
};
// Angles (the stripline bend), typed in degrees.
constexpr UnitName kMoreUnits[] = {{12, "°"}};

constexpr const char* kPrefixes[] = {"p", "n", "µ", "m", "", "k", "M", "G", "T"};

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

// Spellings people type for a unit symbol.
bool unitMatches(const std::string& typed, const std::string& symbol) {
    if (typed == symbol) return true;
    if (symbol == "Ω") return typed == "ohm" || typed == "Ohm" || typed == "ohms" || typed == "R";
    if (symbol == "Ω·m") return typed == "ohm*m" || typed == "Ohm*m" || typed == "ohm.m" || typed == "Ω*m";
    if (symbol == "V/µs") return typed == "V/us";
    if (symbol == "m²") return typed == "m2" || typed == "m^2";
    if (symbol == "°") return typed == "deg";
    return false;
}

// A prefix written at the start of `s`: its index and length, or -1.
int prefixAt(const std::string& s, size_t& length) {
    if (s.empty()) return -1;
    if (s.rfind("µ", 0) == 0 || s.rfind("μ", 0) == 0) {
        length = std::strlen("µ");
        return 2;
    }
    length = 1;
    switch (s[0]) {
    case 'p':
        return 0;
    case 'n':
        return 1;
    case 'u':
        return 2;
    case 'm':
        return 3;
    case 'k':
    case 'K':
        return 5;
    case 'M':
        return 6;
    case 'G':
        return 7;
    case 'T':
        return 8;
    default:
        return -1;
    }
}

} // namespace

CString CUnitValue::get_unit_string_name(int unitKind) {
    for (const auto& u : kUnits)
        if (u.kind == unitKind) return CString(u.symbol);
    for (const auto& u : kMoreUnits)
        if (u.kind == unitKind) return CString(u.symbol);
    return {};
}

const char* CUnitValue::prefix(int index) {
    return index >= 0 && index <= 8 ? kPrefixes[index] : "";
}

double CUnitValue::prefixScale(int index) {
    static const double scale[] = {1e-12, 1e-9, 1e-6, 1e-3, 1.0, 1e3, 1e6, 1e9, 1e12};
    return index >= 0 && index <= 8 ? scale[index] : 1.0;
}

double CUserDefValueSpinUnitBox::prefixFactor(int prefix) const {
    // A prefix scales the metre of a square metre: 1 mm² is 1e-6 m², not 1e-3 m².
    const double s = CUnitValue::prefixScale(prefix);
    const std::string& unit = m_strUnitName.str();
    const bool squared = unit.size() >= 2 && unit.compare(unit.size() - 2, 2, "\xC2\xB2") == 0;
    return squared ? s * s : s;
}

int CUserDefValueSpinParent::GetFontWidth(CWnd*) {
    return 4;
}

CUserDefValueSpinUnitBox::CUserDefValueSpinUnitBox() = default;

CUserDefValueSpinUnitBox::~CUserDefValueSpinUnitBox() {
    if (edit_ && edit_->extension() == this) {
        edit_->setExtension(nullptr);
        edit_->setCommitHook({});
    }
}

void CUserDefValueSpinUnitBox::controlDestroyed(CWnd* control) {
    if (control == edit_) edit_ = nullptr;
}

BOOL CUserDefValueSpinUnitBox::Create(int editId, int, int, int, double, double, int listWidth, CWnd* parent,
                                      int, bool, bool, int, double, bool) {
    parent_ = parent;
    editId_ = editId;
    listWidth_ = listWidth;
    edit_ = parent ? parent->GetDlgItem(editId) : nullptr;
    if (!edit_) return 0;
    edit_->setExtension(this);
    edit_->setCommitHook([this](const CString& text) { return commit(text); });
    return 1;
}

void CUserDefValueSpinUnitBox::ResetUnitList() {
    choices_.clear();
    for (int i = lowPrefix_; i <= highPrefix_; ++i)
        choices_.push_back(std::string(kPrefixes[i]) + m_strUnitName.str());
    if (shownPrefix_ < lowPrefix_ || shownPrefix_ > highPrefix_) shownPrefix_ = bestPrefix(value_);
}

void CUserDefValueSpinUnitBox::ResetUnitCharIndex(int low, int high) {
    if (low < 0) low = 0;
    if (high > 8) high = 8;
    if (low > high) std::swap(low, high);
    lowPrefix_ = low;
    highPrefix_ = high;
}

void CUserDefValueSpinUnitBox::ResetUnitName(int unitKind) {
    unitKind_ = unitKind;
    m_strUnitName = CUnitValue::get_unit_string_name(unitKind);
    ResetUnitList();
    if (edit_) edit_->SetWindowText(displayText(value_).c_str());
}

void CUserDefValueSpinUnitBox::EnableWindow(bool enable) {
    if (edit_) edit_->EnableWindow(enable);
}

void CUserDefValueSpinUnitBox::ShowWindow(int cmd) {
    if (edit_) edit_->ShowWindow(cmd);
}

void CUserDefValueSpinUnitBox::SetValue(double value) {
    value_ = value;
    shownPrefix_ = bestPrefix(value);
    if (edit_) edit_->SetWindowText(displayText(value).c_str());
}

void CUserDefValueSpinUnitBox::DDX_Double(CDataExchange* pDX, double& value) {
    if (pDX->m_bSaveAndValidate)
        value = value_;
    else
        SetValue(value);
}

int CUserDefValueSpinUnitBox::bestPrefix(double value) const {
    if (m_bNoUnit || lowPrefix_ == highPrefix_) return lowPrefix_;
    double a = std::fabs(value);
    if (a == 0.0 || !std::isfinite(a)) return std::min(std::max(4, lowPrefix_), highPrefix_);
    // The largest prefix that leaves at least 1 before the point.
    int best = lowPrefix_;
    for (int i = lowPrefix_; i <= highPrefix_; ++i)
        if (a >= prefixFactor(i) * (1.0 - 1e-12)) best = i;
    return best;
}

std::string CUserDefValueSpinUnitBox::displayText(double value) const {
    int p = bestPrefix(value);
    double mantissa = value / prefixFactor(p);
    std::string number;
    if (!std::isfinite(mantissa)) {
        number = korvane::format("%g", mantissa);
    } else if (std::fabs(mantissa) >= 1e6 || (mantissa != 0.0 && std::fabs(mantissa) < 1e-3)) {
        number = korvane::format("%.*g", std::max(m_nDigits, 1) + 3, mantissa);
    } else {
        // Fixed decimals, trailing zeros dropped: "3.3", "110", "29.2".
        number = korvane::format("%.*f", std::max(m_nDigits, 0) + 3, mantissa);
        if (number.find('.') != std::string::npos) {
            while (number.back() == '0')
                number.pop_back();
            if (number.back() == '.') number.pop_back();
        }
        if (number == "-0") number = "0";
    }
    std::string unit = m_bNoUnit ? std::string() : std::string(kPrefixes[p]) + m_strUnitName.str();
    return unit.empty() ? number : number + " " + unit;
}

std::string CUserDefValueSpinUnitBox::boundText(double bound, bool upper) const {
    // Shown with the box's decimals, a bound such as 999999999999999 would round to "1000 T", which
    // the box then refuses. Take the nearest printed value, or else the next one towards the inside of
    // the range, that the box accepts when typed back.
    const double scale = prefixFactor(bestPrefix(bound));
    const double mantissa = bound / scale;
    if (!std::isfinite(mantissa) || std::fabs(mantissa) >= 1e6) return displayText(bound);
    const double f = std::pow(10.0, std::max(m_nDigits, 0) + 3);
    const double scaled = mantissa * f;
    const double inward = upper ? std::floor(scaled) : std::ceil(scaled);
    const double step = upper ? -1.0 : 1.0;
    for (double candidate : {std::round(scaled), inward, inward + step, inward + 2 * step}) {
        std::string text = displayText(candidate / f * scale);
        double back = 0.0;
        std::string why;
        if (parse(text, back, why) && (upper ? back <= bound : back >= bound)) return text;
    }
    return displayText(bound);
}

bool CUserDefValueSpinUnitBox::parse(const std::string& text, double& value, std::string& reason) const {
    std::string s = trim(text);
    if (s.empty()) {
        reason = "Enter a number.";
        return false;
    }
    // Hexadecimal ("0x10") is not a way people write a data-sheet value; strtod would take it.
    const size_t digits = s.find_first_not_of("+-");
    const bool hex = digits != std::string::npos && s.size() > digits + 1 && s[digits] == '0' &&
                     (s[digits + 1] == 'x' || s[digits + 1] == 'X');
    const char* begin = s.c_str();
    char* end = nullptr;
    errno = 0;
    double number = std::strtod(begin, &end);
    // A number too large for a double ("1e400") is still a number: the range check refuses it.
    const bool overflow = errno == ERANGE && std::isinf(number);
    if (hex || end == begin || std::isnan(number) || (std::isinf(number) && !overflow)) {
        const std::string example = m_bNoUnit || m_strUnitName.IsEmpty()
                                        ? std::string("2.5")
                                        : korvane::format("2.5, 2.5m or 2.5 m%s", m_strUnitName.GetString());
        reason = korvane::format("\"%s\" is not a number. Type a value such as %s.",
                                 korvane::clipForMessage(s).c_str(), example.c_str());
        return false;
    }
    std::string rest = trim(std::string(end));
    std::string unit = m_strUnitName.str();
    double scale = 1.0;
    if (!rest.empty() && !(!unit.empty() && unitMatches(rest, unit))) {
        size_t len = 0;
        int p = prefixAt(rest, len);
        std::string after = p >= 0 ? trim(rest.substr(len)) : rest;
        if (p < 0 || !(after.empty() || (!unit.empty() && unitMatches(after, unit)))) {
            reason =
                korvane::format("\"%s\" is not a number with a known unit%s%s.",
                                korvane::clipForMessage(s).c_str(), unit.empty() ? "" : " of ", unit.c_str());
            return false;
        }
        scale = prefixFactor(p);
    }
    // An infinite product is out of every box's range and is refused there, with the range.
    value = number * scale;
    return true;
}

EditVerdict CUserDefValueSpinUnitBox::accept(double value) {
    if (!std::isfinite(value) || !(value >= m_dMinValue && value <= m_dMaxValue)) {
        std::string lo = boundText(m_dMinValue, false), hi = boundText(m_dMaxValue, true);
        std::string why = korvane::format("The value must lie between %s and %s.", lo.c_str(), hi.c_str());
        if (edit_) edit_->SetWindowText(displayText(value_).c_str());
        ShowMessageBox(why.c_str(), "", MB_OK | MB_ICONEXCLAMATION);
        return {false, why};
    }
    value_ = value;
    shownPrefix_ = bestPrefix(value);
    if (edit_) edit_->SetWindowText(displayText(value).c_str());
    if (parent_) parent_->SendMessage(kDataChanged, static_cast<WPARAM>(editId_), 0);
    return {};
}

EditVerdict CUserDefValueSpinUnitBox::commit(const CString& text) {
    double v = 0.0;
    std::string why;
    if (!parse(text.str(), v, why)) {
        if (edit_) edit_->SetWindowText(displayText(value_).c_str());
        ShowMessageBox(why.c_str(), "", MB_OK | MB_ICONEXCLAMATION);
        return {false, why};
    }
    return accept(v);
}

std::vector<std::string> CUserDefValueSpinUnitBox::unitChoices() const {
    return choices_;
}

int CUserDefValueSpinUnitBox::unitChoice() const {
    return shownPrefix_ - lowPrefix_;
}

EditVerdict CUserDefValueSpinUnitBox::chooseUnit(int index) {
    int p = lowPrefix_ + index;
    if (index < 0 || p > highPrefix_) return {false, "no such unit"};
    // The number shown stays; the unit chosen gives it its new scale.
    double mantissa = value_ / prefixFactor(shownPrefix_);
    return accept(mantissa * prefixFactor(p));
}

EditVerdict CUserDefValueSpinUnitBox::spin(int steps) {
    double step;
    if (m_nDigits == 0) {
        step = 1.0;
    } else {
        double a = std::fabs(value_);
        step = a > 0 ? std::pow(10.0, std::floor(std::log10(a)) - 1)
                     : 0.1 * prefixFactor(shownPrefix_);
    }
    double v = value_ + steps * step;
    v = std::min(std::max(v, m_dMinValue), m_dMaxValue);
    return accept(v);
}

CString GetResourceString(HINSTANCE instance, unsigned id) {
    return AfxLoadString(instance, id);
}

void SetHelpDllInstance(HINSTANCE instance, std::uintptr_t context) {
    AfxSetHelpTarget(instance ? instance->name : std::string(), context);
}
