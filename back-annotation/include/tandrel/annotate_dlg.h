// CAnnotateDlg: the confirmation window listing the actions of the action file, for review only.
#pragma once

#include "platform/window.h"

#include <string>

namespace tandrel {

enum : unsigned {
    IDD_ANNOTATE = 130,
    IDC_ANNOTATE_CAPTION = 1000,
    IDC_ANNOTATE_LIST = 1001,
    IDC_SELECT_ALL = 1002,
    IDC_DESELECT_ALL = 1003,
    // The dialog's help context: dialog resources are numbered 0x20000 + template ID.
    HIDD_ANNOTATE = 0x20000 + IDD_ANNOTATE,
};

class CAnnotateDlg : public CDialog {
  public:
    explicit CAnnotateDlg(std::string actionFilePath);
    BOOL OnInitDialog() override;

    // The widest line in average character widths (dialog units: 4 per character), which the list's
    // horizontal scroll range is set to.
    int HorizontalExtent() const { return horizontalExtent_; }

  private:
    std::string actionFilePath_;
    int horizontalExtent_ = 0;
};

} // namespace tandrel
