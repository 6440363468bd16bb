#include "prelogin/CGetPreloginInfo.h"

#include "platform/DynamicLibrary.h"
#include "platform/FileIO.h"
#include "platform/TextEncoding.h"
#include "prelogin/ReplyFile.h"
#include "support/CLogTrace.h"
#include "support/PathHelpers.h"
#include "support/WideText.h"

namespace tessaly {

namespace {

constexpr char16_t kGetAdInfo[] = u"CGetPreloginInfo::GetAdInfo";

bool StartsWithHttpScheme(std::u16string_view text)
{
    constexpr std::u16string_view scheme = u"http:";
    return text.size() >= scheme.size() && EqualsNoCase(text.substr(0, scheme.size()), scheme);
}

}  // namespace

CGetPreloginInfo::~CGetPreloginInfo()
{
    m_loader.Free();
}

void CGetPreloginInfo::LoadHttpDll()
{
    const std::u16string path = GetModuleDir(LibraryInstance()) + platform::LibraryFileName(u"Dunmore");
    m_UpLoad = m_loader.GetProcAs<UploadFunction>(path, u"HttpUpload");
    m_DownLoad = m_loader.GetProc(path, u"HttpDownload");
}

bool CGetPreloginInfo::GetAdInfo(const std::u16string& url, const std::u16string& pcid,
                                 const std::u16string& oemCode, const std::u16string& chanCode,
                                 std::u16string& result)
{
    g_LogTrace.Trace(4, u"Enter Fun %s", kGetAdInfo);
    LoadHttpDll();
    if (!m_UpLoad || !m_DownLoad) {
        g_LogTrace.Trace(4, u"Exit  Fun %s, Dll fun add is Null", kGetAdInfo);
        return false;
    }
    if (StopRequested()) {
        g_LogTrace.Trace(4, u"Exit  Fun %s, Stop requested", kGetAdInfo);
        return false;
    }
    ReplyFile replyFile(u"Qln");
    if (!replyFile.Created()) {
        g_LogTrace.Trace(4, u"Exit  Fun %s, Reply file not created", kGetAdInfo);
        return false;
    }
    std::vector<std::u16string> params;
    GetUpParam(params, pcid, oemCode, chanCode);
    const std::vector<char16_t> block = MakeParamBuffer(params);
    return UploadAndParse(url, block, replyFile.Path(), result);
}

bool CGetPreloginInfo::UploadAndParse(const std::u16string& url, const std::vector<char16_t>& block,
                                      const std::u16string& replyPath, std::u16string& result)
{
    g_LogTrace.Trace(4, u"--Begin  call m_UpLoad, Path is %s", replyPath);
    g_LogTrace.TraceBinary(u"--Upload Param is", static_cast<int>(block.size() * sizeof(char16_t)), block.data());
    const std::int32_t uploaded = m_UpLoad(url.c_str(), block.data(), replyPath.c_str());
    g_LogTrace.Trace(4, u"--Finish call m_UpLoad");
    if (uploaded == 0) {
        g_LogTrace.Trace(4, u"Exit  Fun %s, m_UpLoad return False", kGetAdInfo);
        return false;
    }
    if (StopRequested()) {
        g_LogTrace.Trace(4, u"Exit  Fun %s, Stop requested", kGetAdInfo);
        return false;
    }
    ParseAdXml(replyPath, result);
    g_LogTrace.Trace(4, u"Exit  Fun %s", kGetAdInfo);
    return true;
}

void CGetPreloginInfo::GetUpParam(std::vector<std::u16string>& list, const std::u16string& pcid,
                                  const std::u16string& oemCode, const std::u16string& chanCode)
{
    g_LogTrace.Trace(4, u"Enter Fun CGetPreloginInfo::GetUpParam");
    list.push_back(u"PCID");
    list.push_back(pcid);
    g_LogTrace.Trace(4, u"--CGetAdInfo::PCID is %s", pcid);
    list.push_back(u"OEMCode");
    list.push_back(oemCode);
    g_LogTrace.Trace(4, u"--CGetAdInfo::OEMCode is %s", oemCode);
    list.push_back(u"ChanCode");
    list.push_back(chanCode);
    g_LogTrace.Trace(4, u"Exit  Fun CGetPreloginInfo::GetUpParam");
}

std::vector<char16_t> CGetPreloginInfo::MakeParamBuffer(const std::vector<std::u16string>& list)
{
    std::size_t total = 0;
    for (const auto& entry : list)
        total += entry.size() + 1;
    std::vector<char16_t> block(total + 1, u'\0');
    auto out = block.begin();
    for (const auto& entry : list)
        out = std::copy(entry.begin(), entry.end(), out) + 1;  // + 1 keeps the entry's NUL
    return block;
}

bool CGetPreloginInfo::ParseAdXml(const std::u16string& path, std::u16string& result)
{
    const auto bytes = platform::ReadRegularFileNoFollow(ToUtf8(path), kMaxReplyBytes);
    if (!bytes)
        return true;
    const std::string_view text(*bytes);
    result = platform::FromEdgeText(text.substr(0, text.find('\0')));  // the text ends at its first NUL byte
    if (!StartsWithHttpScheme(result))
        result.clear();
    return true;
}

}  // namespace tessaly
