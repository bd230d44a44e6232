#include "ui/HideDialog.h"

IMPLEMENT_DYNAMIC(CHideDialog, CDialog)

INT_PTR CHideDialog::DoModal() {
    // Without MLF_SHOWONIDLE; MLF_NOIDLEMSG still follows the template's DS_NOIDLEMSG.
    return DoModalWithFlags(0);
}
