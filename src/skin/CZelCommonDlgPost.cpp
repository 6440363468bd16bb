// Cross-thread posting: a message queued for the dialog's thread reaches the dialog only while it
// lives.
#include "skin/CZelCommonDlg.h"

#include "toolkit/UserInterface.h"

namespace tessaly {
void CZelCommonDlg::PostMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam)
{
    GetPoster().PostMessage(msg, wParam, lParam);
}

CDialogPoster CZelCommonDlg::GetPoster() const
{
    return CDialogPoster(m_anchor);
}

void CDialogPoster::PostMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) const
{
    if (m_target.expired())
        return;
    toolkit::PostToUiThread([target = m_target, msg, wParam, lParam] {
        if (auto alive = target.lock())
            (*alive)->OnMessage(msg, wParam, lParam);
    });
}

}  // namespace tessaly
