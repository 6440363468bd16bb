#pragma once
#include <tessaly/tessaly.h>

namespace tessaly {

// The work behind the PreLogin export. May throw; the export turns that into a failure result.
int RunPreLogin(PreLoginRequest* request, PreLoginResult* result);

}  // namespace tessaly
