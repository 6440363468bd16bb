#pragma once
// A login object whose configured items the fuzzer sets directly, without a configuration file.
#include <string>

#include "login/CVomoLogin.h"

namespace tessaly::fuzz {

class LoginProbe : public CVomoLogin {
public:
    void SetItem(const std::u16string& id, const std::u16string& value) { m_mapWindowInfo[id] = value; }
};

// Owns the strings that the library writes into a host record.
struct OwnedResult {
    PreLoginResult record{nullptr, 0};
    ~OwnedResult() { TessalyStringFree(&record.m_strMessage); }
};

}  // namespace tessaly::fuzz
