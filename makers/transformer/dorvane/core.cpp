#include "core.h"

#include "frame/modeltext.h"

#include <cmath>

namespace dorvane {

int secondaryCount(const Inputs& in) {
    if (!(in.count >= 1)) return 0;
    return in.count >= kMaxSecondaries ? kMaxSecondaries : static_cast<int>(in.count);
}

Elements compute(const Inputs& in) {
    Elements e;
    e.a = 1.0 + in.lp / in.lm;
    e.l1 = in.lm + in.lp;
    for (int i = 0; i < secondaryCount(in); ++i) {
        const auto k = static_cast<size_t>(i);
        Secondary s;
        s.ratio = in.vp / in.vs[k];
        s.magnetising = (in.lm / s.ratio) / s.ratio;
        s.l2 = s.magnetising + in.ls[k];
        s.b = 1.0 + in.ls[k] / s.magnetising;
        // The mutual inductance is the magnetising one referred to both windings, so the coefficient
        // M / sqrt(L1 L2) comes to 1 / sqrt(a b).
        s.ka = 1.0 / std::sqrt(e.a * s.b);
        e.secondaries.push_back(s);
    }
    return e;
}

double Elements::k(int i, int j) const {
    return 1.0 / std::sqrt(secondaries[static_cast<size_t>(i)].b * secondaries[static_cast<size_t>(j)].b);
}

std::vector<std::pair<int, int>> couplingOrder(int count) {
    // Three secondaries keep the order the text has always had; otherwise pairs in ascending order.
    if (count == 3) return {{1, 2}, {2, 3}, {1, 3}};
    std::vector<std::pair<int, int>> pairs;
    for (int i = 1; i <= count; ++i)
        for (int j = i + 1; j <= count; ++j)
            pairs.push_back({i, j});
    return pairs;
}

CString modelText(const Inputs& in) {
    const Elements e = compute(in);
    const int count = static_cast<int>(e.secondaries.size());

    CString text = "*************************************************************\r\n";
    frame::appendLines(text, {"*", "*          Linear Transformer Model",
                              "*          Quolvane                      ",
                              "*          SPICE MODEL MAKER TOOL  Version 1.1", "*"});
    text += frame::dateText("*   Date: %A, %B %d, %Y\r\n");
    text += "*************************************************************\r\n";

    text += ".subckt linear_tran p1 p0";
    for (int i = 1; i <= count; ++i)
        text.AppendFormat(" s%d s%d0", i, i);
    text += "\r\n";
    text.AppendFormat("Rs1 p1 11 %e\r\n", in.rp);
    text.AppendFormat("L1 11 p0 %e\r\n", e.l1);
    for (int i = 1; i <= count; ++i) {
        const auto k = static_cast<size_t>(i - 1);
        if (count == 1)
            text.AppendFormat("Rs2 s1 21 %e\r\n", in.rs[k]);
        else
            text.AppendFormat("Rs2%d s%d 2%d %e\r\n", i, i, i, in.rs[k]);
        text.AppendFormat("L2%d 2%d s%d0 %e\r\n", i, i, i, e.secondaries[k].l2);
        text.AppendFormat("ka%d L1 L2%d %e\r\n", i, i, e.secondaries[k].ka);
    }
    for (auto [i, j] : couplingOrder(count))
        text.AppendFormat("k%d%d L2%d L2%d %e\r\n", i, j, i, j, e.k(i - 1, j - 1));
    text += ".ends\r\n";
    return text;
}

} // namespace dorvane
