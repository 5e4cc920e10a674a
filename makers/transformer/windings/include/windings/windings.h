// The first window of the multiple-winding transformers: two radio buttons preset the primary voltage
// (110 V or 220 V), typing into the primary box clears them, and the count box shows the rows of the
// counted secondaries in every column (rows of uncounted ones are hidden, their values kept).
#pragma once

#include "frame/maker.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace windings {

enum : int { kOption1 = 500, kOption2 = 501 };

// Box indices: the primary voltage, the secondary count, and the first secondary's box of each column.
struct Rows {
    int primary = 0;
    int count = 1;
    std::vector<int> columns;
};

// How many secondaries a count box's value shows: up to five; a value that is not a count shows none.
inline int countedSecondaries(double v) {
    return std::isfinite(v) && v > 0 ? static_cast<int>(std::min(v, 5.0)) : 0;
}

// Window: a table page or table dialog whose inputs have the primary voltage `vp`.
template <typename Window> class Windings : public Window {
  public:
    template <typename... Args>
    explicit Windings(Rows rows, Args&&... args) : Window(std::forward<Args>(args)...), rows_(std::move(rows)) {
        this->OnClicked(kOption1, [this] { applyPreset(110.0); });
        this->OnClicked(kOption2, [this] { applyPreset(220.0); });
        this->OnMessage(frame::messages().dataChanged,
                        [this](WPARAM id, LPARAM) { return onDataChanged(static_cast<int>(id)); });
    }

  protected:
    void controlSetup() override {
        this->CheckRadioButton(kOption1, kOption2, kOption1);
        applyPreset(110.0);
    }
    void finalStep() override { onDataChanged(this->editId(rows_.count)); }

  private:
    void applyPreset(double volts) {
        this->m_in.vp = volts;
        this->box(rows_.primary).SetValue(volts);
    }

    LRESULT onDataChanged(int id) {
        if (id == this->editId(rows_.count)) {
            const int n = countedSecondaries(this->box(rows_.count).GetValue());
            for (int k = 1; k <= 4; ++k) {
                const int cmd = k < n ? SW_SHOW : SW_HIDE;
                for (int first : rows_.columns) {
                    if (CWnd* l = this->label(first + k)) l->ShowWindow(cmd);
                    this->box(first + k).ShowWindow(cmd);
                }
            }
            if (CWnd* c = this->GetDlgItem(id)) c->SetFocus();
        } else if (id == this->editId(rows_.primary)) {
            this->CheckRadioButton(kOption1, kOption2, 0);
        }
        return 0;
    }

    Rows rows_;
};

} // namespace windings
