#pragma once
// The private temporary file the transfer library writes its reply into. It is removed when the
// owner goes out of scope, whatever path the exchange took.
#include <string>

namespace tessaly {

class ReplyFile {
public:
    // Creates a new, empty, owner-only file from the prefix's first three characters.
    explicit ReplyFile(const std::u16string& prefix);
    ~ReplyFile();
    ReplyFile(const ReplyFile&) = delete;
    ReplyFile& operator=(const ReplyFile&) = delete;

    bool Created() const { return !m_strPath.empty(); }
    const std::u16string& Path() const { return m_strPath; }

private:
    std::u16string m_strPath;
};

}  // namespace tessaly
