#include "ui/MainTranslucentDialog.h"

#include "res/resource.h"
#include "ui/MainDialog.h"

namespace ui {

MainTranslucentDialog::MainTranslucentDialog(ILauncherSession* session, HMODULE module)
    : CTranslucentDialog(IDD_FRAME, IDB_SKIN, "IMAGE", module), m_pSession(session) {}

std::unique_ptr<CStandardDialog> MainTranslucentDialog::CreateChildDialog() {
    return std::make_unique<MainDialog>(m_pSession, this);
}

} // namespace ui
