#pragma once
// What the redirect window hands to its worker: the exchange address and the machine's identity.
#include <string>

namespace tessaly {

struct InternetInfoRequest {
    std::u16string m_strWebUrl;    // [WebUrl] PreLoginFromInternet of orvane.cfg
    std::u16string m_strPCID;      // PC identifier
    std::u16string m_strOEMCode;   // OEM code
    std::u16string m_strChanCode;  // channel code (the machine-information library's area code)
};

// The dialog-thread reads of GetInfoFromInternet: the identity through Parvex (with
// Config/Parvex.cfg, whose "ForceGetPcid" switch it may reset) and the exchange address from
// Config/orvane.cfg. A value that cannot be obtained stays empty. The library is loaded only for the
// duration of this call.
InternetInfoRequest ReadInternetInfoRequest();

}  // namespace tessaly
