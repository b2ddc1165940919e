#pragma once

#include "ui/TranslucentDialog.h"

namespace ui {

class ILauncherSession;

// The launcher's frame: the Vemor skin (image 130) on frame template 136,
// with the main dialog as its colour-keyed popup.
class MainTranslucentDialog : public CTranslucentDialog {
public:
    explicit MainTranslucentDialog(ILauncherSession* session, HMODULE module = nullptr);

protected:
    std::unique_ptr<CStandardDialog> CreateChildDialog() override;
    void OnInitTranslucent() override {}

private:
    ILauncherSession* m_pSession;
};

} // namespace ui
