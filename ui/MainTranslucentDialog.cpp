#include "ui/MainTranslucentDialog.h"

#include "res/resource.h"
#include "ui/MainDialog.h"

MainTranslucentDialog::MainTranslucentDialog(ILauncherSession* session, HMODULE module)
    : ui::CTranslucentDialog(IDD_FRAME, IDB_SKIN, "IMAGE", module), m_pSession(session) {}

std::unique_ptr<ui::CStandardDialog> MainTranslucentDialog::CreateChildDialog() {
    return std::make_unique<MainDialog>(m_pSession, this);
}
