#include "redirect/CRedirectDlg.h"

#include "config/CXMLDocument.h"
#include "platform/FilePaths.h"
#include "redirect/worker/InfoWorker.h"
#include "redirect/worker/InternetInfoRequest.h"
#include "redirect/worker/ReplyMarkers.h"
#include "support/CLogTrace.h"
#include "support/PathHelpers.h"

namespace tessaly {

namespace {
constexpr int kBrowserControlId = 1000;
constexpr char16_t kSkinFile[] = u"VomoLoginCfg.xml";
constexpr char16_t kSkinSection[] = u"PreLoginFromInternetInfo";
constexpr char16_t kBrowserItem[] = u"ITEM1";
constexpr char16_t kWaitPage[] = u"PreLoginWait\\wait.htm";
}  // namespace

CRedirectDlg::CRedirectDlg() = default;

CRedirectDlg::~CRedirectDlg()
{
    // DoModal normally destroyed the window already; these only matter when it never ran.
    StopWorker();
    UnregisterFromHost();
    m_Explorer.Destroy();
}

bool CRedirectDlg::OnInitDialog()
{
    g_LogTrace.Trace(4, u"Enter Fun CRedirectDlg::OnInitDialog");
    CZelCommonDlg::OnInitDialog();
    // The browser fills the template's control 1000 slot, which the skin may move.
    if (m_Explorer.Create()) {
        m_Explorer.SetDownloadCompleteHandler([this] { OnDownloadComplete(); });
        m_Explorer.SetProcessTerminatedHandler([this] { OnPageProcessEnded(); });
        if (!Window()->HostBrowser(kBrowserControlId, *m_Explorer.View()))
            m_Explorer.Destroy();
    }
    RegisterWithHost();
    LoadSkin();
    ShowWaitPage();
    GetInfoFromInternet();
    g_LogTrace.Trace(4, u"Exit  Fun CRedirectDlg::OnInitDialog");
    return true;
}

void CRedirectDlg::RegisterWithHost()
{
    const auto onHostMessage = [this](std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
        // Only the close request is part of the host's interface.
        if (message == WM_PRELOGIN_CLOSE)
            OnMessage(message, wParam, lParam);
    };
    Window()->ListenForHostMessages(onHostMessage);
    m_hostWindow.Register(NativeWindowId(), onHostMessage);
}

void CRedirectDlg::UnregisterFromHost()
{
    if (Window())
        Window()->StopHostMessages();
    m_hostWindow.Unregister();
}

void CRedirectDlg::LoadSkin()
{
    const std::u16string path = ConfigFilePath(kSkinFile);
    if (path.empty())
        return;  // the template's own look
    std::u16string configDir;
    SplitPath(path, &configDir, nullptr);
    CXMLDocument document;
    XmlElement* root = nullptr;
    if (document.Init() && document.Load(path, root)) {
        if (XmlElement* section = document.FindElement(root, {u"CommonWindow", kSkinSection})) {
            ParseSection(section, configDir);
            ApplyWindowSkin();
            CreateLabels();
            CreatePictures();
            CreateButtons();
        }
    }
    document.Release();
}

void CRedirectDlg::ShowWaitPage()
{
    if (!m_Explorer.View())
        return;
    PlaceTemplateControl(kBrowserControlId, kBrowserItem);
    const std::u16string configDir = GetConfigDir(LibraryInstance());
    if (configDir.empty()) {
        // A relative name would be taken for a web address.
        g_LogTrace.Trace(4, u"--Library folder unknown: no wait page");
        return;
    }
    m_strLastAddress = platform::JoinConfigPath(configDir, kWaitPage);
    m_Explorer.Navigate(m_strLastAddress);
}

void CRedirectDlg::GetInfoFromInternet()
{
    InternetInfoRequest request = ReadInternetInfoRequest();
    m_strPCID = request.m_strPCID;
    m_strOEMCode = request.m_strOEMCode;
    m_strChanCode = request.m_strChanCode;
    m_strWebUrl = request.m_strWebUrl;
    // The callback runs on the worker thread: it only fills the box and posts; the post is dropped
    // when the dialog is gone, and after StopWorker the callback is never called at all.
    // The callback runs on the worker thread and touches only shared state: the reply box and a
    // weak poster, which drops the message when the dialog is gone. After StopWorker it never runs.
    m_hThread = InfoWorker::Start(std::move(request), [reply = m_reply, poster = GetPoster()](std::u16string url) {
        {
            std::lock_guard lock(reply->mutex);
            reply->url = std::move(url);
        }
        poster.PostMessage(WM_PRELOGIN_INFO_DONE, 0, 0);
    });
    if (m_hThread)
        g_LogTrace.Trace(4, u"--Current Thread ID is 0X%X for CRedirectDlg::GetInfoFromInternet",
                         static_cast<unsigned long>(m_hThread->ThreadId()));
}

void CRedirectDlg::OnMessage(std::uint32_t message, std::uintptr_t, std::intptr_t)
{
    if (message == WM_PRELOGIN_INFO_DONE)
        OnInfoDone();
    else if (message == WM_PRELOGIN_CLOSE)
        OnCloseRequest();
}

void CRedirectDlg::OnInfoDone()
{
    g_LogTrace.Trace(4, u"Enter Fun CRedirectDlg::OnInfoDone");
    m_hThread.reset();
    {
        std::lock_guard lock(m_reply->mutex);
        m_strRedirectUrl = m_reply->url;
    }
    if (m_strRedirectUrl.empty()) {
        OnOK();
    } else if (!m_bNavigatedToTarget) {
        m_bNavigatedToTarget = true;
        m_strLastAddress = m_strRedirectUrl;
        m_Explorer.Navigate(m_strRedirectUrl);
    }
    g_LogTrace.Trace(4, u"Exit  Fun CRedirectDlg::OnInfoDone");
}

void CRedirectDlg::OnCloseRequest() { OnOK(); }

void CRedirectDlg::OnShown() { m_Explorer.Focus(); }

void CRedirectDlg::OnDownloadComplete()
{
    // The explorer never runs this after it is destroyed, which OnDestroy does.
    m_Explorer.GetBodyMarkup([this](std::optional<std::u16string> markup) {
        if (markup && FindReplyMarkers(*markup))
            PostMessage(WM_PRELOGIN_CLOSE, 0, 0);
    });
}

void CRedirectDlg::OnPageProcessEnded()
{
    g_LogTrace.Trace(4, u"--Page process ended for CRedirectDlg, address %s", m_strLastAddress);
    // One fresh start of the last page; a second crash leaves the window for the user to close.
    if (!m_bReloadedAfterCrash && !m_strLastAddress.empty()) {
        m_bReloadedAfterCrash = true;
        m_Explorer.Navigate(m_strLastAddress);
    }
}

void CRedirectDlg::StopWorker()
{
    if (!m_hThread)
        return;
    g_LogTrace.Trace(4, u"**********TerminateThread GetInfoFromInternetThread Thread");
    m_hThread->RequestStop();
    m_hThread.reset();
}

void CRedirectDlg::OnDestroy()
{
    CZelCommonDlg::OnDestroy();
    StopWorker();
    UnregisterFromHost();
    m_Explorer.Destroy();
}

}  // namespace tessaly
