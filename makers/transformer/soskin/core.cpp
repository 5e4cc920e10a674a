#include "core.h"

#include "frame/modeltext.h"

namespace soskin {

CString modelText(const Inputs& in) {
    CString text = "*************************************************************\r\n";
    frame::appendLines(text, {"*", "*          Ideal Transformer Model",
                              "*          Quolvane                      ",
                              "*          SPICE MODEL MAKER TOOL  Version 1.1", "*"});
    text += frame::dateText("*   Date: %A, %B %d, %Y\r\n");
    text += "*************************************************************\r\n";

    const int count = static_cast<int>(in.count);
    double ratio[5] = {};
    for (int i = 1; i <= count && i <= 5; ++i)
        ratio[i - 1] = in.vp / in.secondary[static_cast<size_t>(i - 1)];

    text += ".subckt ideal_tran p1 p0";
    for (int i = 1; i <= count && i <= 5; ++i)
        text.AppendFormat(" s%d1 s%d0", i, i);
    text += "\r\n";
    for (int i = 1; i <= count && i <= 5; ++i) {
        text.AppendFormat("e%d x%d s%d0 p1 p0 %lf\r\n", i, i, i, 1.0 / ratio[i - 1]);
        text.AppendFormat("v%d x%d s%d1 dc 0\r\n", i, i, i);
        text.AppendFormat("f%d p1 p0 v%d %lf\r\n", i, i, ratio[i - 1]);
    }
    text += ".ends\r\n";
    return text;
}

} // namespace soskin
