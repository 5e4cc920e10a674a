#include "gastor/core.h"

#include <cmath>

namespace gastor {

Elements compute(const Inputs& in) {
    Elements e;
    e.l1 = limbrel::primaryInductance(in);
    // Each half carries half the secondary's turns, so its ratio to the primary is twice the whole
    // secondary's and its inductance a quarter of the whole secondary's.
    e.lh = e.l1 / std::pow(2.0 * in.ratio, 2.0);
    e.k = limbrel::coupling(in);
    return e;
}

CString modelText(const Inputs& in) {
    const Elements e =
        gastor::compute(in); // qualified: the inputs are limbrel's, whose compute ADL would find
    CString text = limbrel::banner("**Linear transformer with neutral terminal**");
    text.AppendFormat(".SUBCKT %s 1 2 3 4 5\r\n", kSubcircuit);
    text += "*  *1, 2-- primary winding,  *3,4-- secondary terminal, 5-- neutral\r\n";
    text.AppendFormat("Rs1 1 11 %8.3e\r\n", in.primaryResistance);
    text.AppendFormat("Rl2 31 3 %8.3e\r\n", in.secondaryResistance);
    text.AppendFormat("Rl3 41 4 %8.3e\r\n", in.secondaryResistance);
    text.AppendFormat("L1  11 2 %8.3e\r\n", e.l1);
    text.AppendFormat("L2  31 5 %8.3e\r\n", e.lh);
    text.AppendFormat("L3  5 41 %8.3e\r\n", e.lh);
    text.AppendFormat("K12  L1 L2 %8.3e\r\n", e.k);
    text.AppendFormat("K13  L1 L3 %8.3e\r\n", e.k);
    text.AppendFormat("K23  L2 L3 %8.3e\r\n", e.k);
    text += ".ENDS\r\n";
    text += "\r\n";
    return text;
}

} // namespace gastor
