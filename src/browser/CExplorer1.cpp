#include "browser/CExplorer1.h"

#include <cctype>

#include "browser/CImpIDispatch.h"
#include "platform/FilePaths.h"
#include "platform/TextEncoding.h"

namespace tessaly {
namespace {

bool HasScheme(std::string_view text)
{
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(text[0])))
        return false;
    for (std::size_t i = 1; i < colon; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

}  // namespace

CExplorer1::~CExplorer1() { Destroy(); }

bool CExplorer1::Create()
{
    if (m_view)
        return true;
    const std::string script = ExternalDispatch() ? CImpIDispatch::ExternalObjectScript() : std::string();
    m_view = toolkit::BrowserView::Create(*this, script);
    return m_view != nullptr;
}

std::string CExplorer1::TargetToUri(std::u16string_view target)
{
    if (target.find(u'\0') != std::u16string_view::npos)
        return {};
    const std::string text = platform::Utf16ToUtf8(target);
    // A target that is not whole UTF-16 (an unpaired surrogate) names nothing.
    if (text.empty() || platform::Utf8ToUtf16(text) != target)
        return {};
    if (platform::IsAbsolutePath(target))
        return toolkit::FileUri(text);
    if (HasScheme(text))
        return text;
    return "http://" + text;
}

bool CExplorer1::Navigate(std::u16string_view target)
{
    if (!m_view)
        return false;
    const std::string uri = TargetToUri(target);
    if (uri.empty())
        return false;
    m_view->Navigate(uri);
    return true;
}

void CExplorer1::GetBodyMarkup(BodyCallback done)
{
    if (m_view)
        m_view->ReadBody(std::move(done));
}

void CExplorer1::Focus()
{
    if (m_view)
        m_view->Focus();
}

void CExplorer1::Destroy() { m_view.reset(); }

void CExplorer1::OnLoadFinished()
{
    if (m_onDownloadComplete)
        m_onDownloadComplete();
}

void CExplorer1::OnProcessEnded()
{
    if (m_onTerminated)
        m_onTerminated();
}

std::int32_t CExplorer1::ExternalMemberId(std::u16string_view name) const
{
    const CImpIDispatch* external = ExternalDispatch();
    std::int32_t id = CImpIDispatch::kUnknownId;
    if (external)
        external->GetIDsOfNames(std::span<const std::u16string_view>(&name, 1), std::span<std::int32_t>(&id, 1));
    return id;
}

std::optional<std::u16string> CExplorer1::ExternalInvoke(std::int32_t id, bool call) const
{
    std::optional<std::u16string> result;
    if (const CImpIDispatch* external = ExternalDispatch())
        external->Invoke(id, call ? CImpIDispatch::kMethod : CImpIDispatch::kPropertyGet, &result);
    return result;
}

}  // namespace tessaly
