#include "redirect/worker/InternetInfoRequest.h"

#include "platform/DynamicLibrary.h"
#include "prelogin/CMachineInfo.h"
#include "support/PathHelpers.h"

namespace tessaly {

InternetInfoRequest ReadInternetInfoRequest()
{
    InternetInfoRequest request;
    CMachineInfo machine;
    machine.LoadExports(u"", platform::LibraryFileName(u"Parvex"));
    machine.GetPCID(ConfigFilePath(u"Parvex.cfg"), request.m_strPCID);
    machine.GetOEMCode(request.m_strOEMCode);
    machine.GetChanCode(request.m_strChanCode);
    ReadIniString(u"WebUrl", u"PreLoginFromInternet", u"", &request.m_strWebUrl, ConfigFilePath(u"orvane.cfg"), 1024);
    return request;
}

}  // namespace tessaly
