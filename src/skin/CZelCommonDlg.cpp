// The dialog's life: making and destroying the window, the modal run and its end. Applying the skin,
// input routing and cross-thread posting have files of their own (CZelCommonDlgSkin.cpp,
// CZelCommonDlgInput.cpp, CZelCommonDlgPost.cpp).
#include "skin/CZelCommonDlg.h"

#include "controls/CSkinWidget.h"
#include "toolkit/UserInterface.h"

namespace tessaly {

CZelCommonDlg::CZelCommonDlg() : m_anchor(std::make_shared<CZelCommonDlg*>(this)) {}

CZelCommonDlg::~CZelCommonDlg()
{
    m_anchor.reset();
    ReleaseControls();
    DestroyWindow();
}

bool CZelCommonDlg::Create()
{
    if (m_window)
        return true;
    if (!EnsureUserInterface())
        return false;
    m_window = toolkit::DialogWindow::FromTemplate(*this, m_nClientWidth, m_nClientHeight);
    if (!m_window)
        return false;
    m_nResult = -1;
    m_bEnded = m_bDestroyed = false;
    OnInitDialog();
    return true;
}

int CZelCommonDlg::DoModal()
{
    if (!Create())
        return -1;
    if (!m_bEnded && !m_bDestroyed)
        m_window->RunModal();
    DestroyWindow();
    return m_nResult;
}

void CZelCommonDlg::DestroyWindow()
{
    if (!m_window)
        return;
    OnDestroy();
    m_arrTabOrder.clear();  // the listed pieces go with the window
    m_window.reset();
}

void CZelCommonDlg::EndDialog(int code)
{
    if (m_bEnded)
        return;  // the first ending event decides the result
    m_nResult = code;
    m_bEnded = true;
    if (m_window)
        m_window->EndModal();
}

// Controls go before the window that holds their views.
void CZelCommonDlg::ReleaseControls()
{
    for (auto items : {m_config.LabelItems(), m_config.PictureItems(), m_config.ButtonItems()})
        for (DynamicItem& item : items) {
            item.pCtrl.reset();
            item.hGdiObj.reset();
        }
}

toolkit::ControlParent* CZelCommonDlg::ClientParent() const { return m_window ? &m_window->Client() : nullptr; }

std::uint32_t CZelCommonDlg::NativeWindowId() const { return m_window ? m_window->NativeId() : 0; }

bool EnsureUserInterface()
{
    std::string whyNot;
    return toolkit::StartUserInterface(whyNot);
}

}  // namespace tessaly
