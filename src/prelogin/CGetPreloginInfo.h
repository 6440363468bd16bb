#pragma once
// One pre-login information exchange: the machine's identity goes up through the in-house transfer
// library, the server's reply comes back in a private temporary file and is accepted when it is a
// plain "http:" address.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "support/ClassSafeGetProcess.h"

namespace tessaly {

class CGetPreloginInfo {
public:
    CGetPreloginInfo() = default;
    ~CGetPreloginInfo();
    CGetPreloginInfo(const CGetPreloginInfo&) = delete;
    CGetPreloginInfo& operator=(const CGetPreloginInfo&) = delete;

    // Loads the transfer library (Dunmore) from this library's folder and resolves "HttpUpload" and "HttpDownload".
    void LoadHttpDll();

    // Uploads the identity to `url` and reads the reply address into `result`. False when the
    // library or an export is missing, no reply file can be made, the upload fails or a stop was
    // requested; `result` is then unchanged. The reply file never outlives the call.
    bool GetAdInfo(const std::u16string& url, const std::u16string& pcid, const std::u16string& oemCode,
                   const std::u16string& chanCode, std::u16string& result);

    // Appends "PCID", pcid, "OEMCode", oemCode, "ChanCode", chanCode.
    static void GetUpParam(std::vector<std::u16string>& list, const std::u16string& pcid,
                           const std::u16string& oemCode, const std::u16string& chanCode);

    // Each entry followed by a NUL, then one more NUL; the block's length is its size().
    static std::vector<char16_t> MakeParamBuffer(const std::vector<std::u16string>& list);

    // Reads the reply file. A file that cannot be read or holds more than kMaxReplyBytes bytes leaves
    // `result` unchanged; otherwise `result` becomes the UTF-8 text (up to its first NUL byte), or
    // empty unless it starts with "http:" in any letter case. Always true.
    static bool ParseAdXml(const std::u16string& path, std::u16string& result);

    static constexpr std::size_t kMaxReplyBytes = 10238;

    // The worker's stop flag, looked at between the steps of GetAdInfo. It must outlive this object.
    void SetStopFlag(const std::atomic<bool>* stop) { m_pStop = stop; }

private:
    using UploadFunction = std::int32_t (*)(const char16_t* url, const char16_t* params, const char16_t* replyPath);

    bool StopRequested() const { return m_pStop && m_pStop->load(); }
    bool UploadAndParse(const std::u16string& url, const std::vector<char16_t>& block,
                        const std::u16string& replyPath, std::u16string& result);

    ClassSafeGetProcess m_loader;
    UploadFunction m_UpLoad = nullptr;
    void* m_DownLoad = nullptr;  // required to be present, never called
    const std::atomic<bool>* m_pStop = nullptr;
};

}  // namespace tessaly
