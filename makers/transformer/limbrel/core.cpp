#include "limbrel/core.h"

#include "frame/modeltext.h"

#include <cmath>

namespace limbrel {

double primaryInductance(const Inputs& in) {
    return 0.5 * in.leakage + in.magnetising;
}

double coupling(const Inputs& in) {
    return 1.0 / (in.leakage / (2.0 * in.magnetising) + 1.0);
}

Elements compute(const Inputs& in) {
    Elements e;
    e.l1 = primaryInductance(in);
    e.l2 = e.l1 / std::pow(in.ratio, 2.0);
    e.k = coupling(in);
    return e;
}

CString banner(const char* title) {
    CString text = title;
    text += "\r\n";
    frame::appendLines(
        text, {"*     Quolvane                          ", "*   SPICE MODEL MAKER TOOL Version 1.0  ",
               "*          Write Your Name On           ", "*     IF YOU TAKE FULL RESPONSIBILITY   ",
               "*********************************************"});
    return text;
}

CString modelText(const Inputs& in) {
    const Elements e = compute(in);
    CString text = banner("*******Two winding linear transformer*********");
    text.AppendFormat(".SUBCKT %s 1 2 3 4\r\n", kSubcircuit);
    text += "*  *1, 2-- primary winding,  *3, 4-- secondary winding\r\n";
    text.AppendFormat("Rs1 1 11 %8.3e\r\n", in.primaryResistance);
    text.AppendFormat("Rl2 31 3 %8.3e\r\n", in.secondaryResistance);
    text.AppendFormat("L1  11 2 %8.3e\r\n", e.l1);
    text.AppendFormat("L2  31 4 %8.3e\r\n", e.l2);
    text.AppendFormat("K1  L1 L2 %8.3e\r\n", e.k);
    text += ".ENDS\r\n";
    text += "\r\n";
    return text;
}

} // namespace limbrel
