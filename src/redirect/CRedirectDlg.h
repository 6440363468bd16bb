#pragma once
// The modal redirect window: a skinned frame around the embedded browser. It shows the local wait
// page while a worker exchanges the machine's identity for a target address, then shows the target
// until the page carries both reply markers, the user closes it, or the host asks it to close.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "browser/CExplorer1.h"
#include "redirect/HostWindowEntry.h"
#include "skin/CZelCommonDlg.h"

namespace tessaly {

class InfoWorker;

inline constexpr std::uint32_t WM_PRELOGIN_INFO_DONE = 0x2401;
inline constexpr std::uint32_t WM_PRELOGIN_CLOSE = 0x2402;

class CRedirectDlg : public CZelCommonDlg {
public:
    CRedirectDlg();
    ~CRedirectDlg() override;

protected:
    bool OnInitDialog() override;
    void OnDestroy() override;
    void OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    // The browser gets the keyboard once the window is on screen.
    void OnShown() override;

private:
    // The target address crosses from the worker thread to the dialog thread through this box; the
    // posted WM_PRELOGIN_INFO_DONE tells the dialog that it has been filled.
    struct ReplyBox {
        std::mutex mutex;
        std::u16string url;
    };

    void LoadSkin();
    void ShowWaitPage();
    void GetInfoFromInternet();
    void RegisterWithHost();
    void UnregisterFromHost();
    void OnInfoDone();
    void OnCloseRequest();
    void OnDownloadComplete();
    void OnPageProcessEnded();
    void StopWorker();

    CExplorer1 m_Explorer;
    std::u16string m_strPCID;
    std::u16string m_strChanCode;
    std::u16string m_strOEMCode;
    std::u16string m_strWebUrl;
    std::u16string m_strRedirectUrl;
    std::shared_ptr<InfoWorker> m_hThread;

    std::shared_ptr<ReplyBox> m_reply = std::make_shared<ReplyBox>();
    HostWindowEntry m_hostWindow;
    std::u16string m_strLastAddress;   // what the browser was last sent to
    bool m_bNavigatedToTarget = false;
    bool m_bReloadedAfterCrash = false;
};

}  // namespace tessaly
