#include "prelogin/ReplyFile.h"

#include "support/PathHelpers.h"

namespace tessaly {

ReplyFile::ReplyFile(const std::u16string& prefix)
{
    std::u16string dir;
    std::u16string fileName;
    MakeTempReplyFile(prefix, &dir, &fileName);
    if (!fileName.empty())
        m_strPath = dir + fileName;
}

ReplyFile::~ReplyFile()
{
    if (Created())
        ForceDeleteFile(m_strPath);
}

}  // namespace tessaly
