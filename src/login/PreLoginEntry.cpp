#include "login/PreLoginEntry.h"

#include "login/CVomoLogin.h"

namespace tessaly {

int RunPreLogin(PreLoginRequest* request, PreLoginResult* result)
{
    // Without both records there is nothing to read or to report into.
    if (!request || !result) {
        if (result)
            result->m_nCode = -1;
        return 0;
    }
    CVomoLogin login;
    login.Init(u"", u"");
    return login.LoginService(request, result);
}

}  // namespace tessaly
