#include "login/PreLoginEntry.h"

namespace tessaly {

// Until the login service is wired in, every call is an honest failure: no reply, code -1.
int RunPreLogin(PreLoginRequest* /*request*/, PreLoginResult* result)
{
    if (result)
        result->m_nCode = -1;
    return 0;
}

}  // namespace tessaly
