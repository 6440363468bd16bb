// Named shared memory on Windows: a file mapping on the paging file in the session's namespace. The
// object lives while any process holds a handle to it, so each block keeps its handle until reset.
#include "platform/SharedMemory.h"

#include <aclapi.h>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "platform/win32/Win32Support.h"

namespace tessaly::platform {

namespace {

bool IsValidName(const std::string& name)
{
    return !name.empty() && name.size() < 256 && name.find('\0') == std::string::npos &&
           name.find('\\') == std::string::npos;
}

// A SID of this process's token: its user (TokenUser) or the default owner it gives the objects it
// makes (TokenOwner; for an elevated administrator that is the Administrators group, not the user).
std::vector<BYTE> OwnTokenSid(TOKEN_INFORMATION_CLASS which)
{
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw))
        return {};
    const win32::UniqueHandle token(raw);
    DWORD bytes = 0;
    ::GetTokenInformation(token.get(), which, nullptr, 0, &bytes);
    std::vector<BYTE> info(bytes);
    if (bytes == 0 || !::GetTokenInformation(token.get(), which, info.data(), bytes, &bytes))
        return {};
    PSID sid = which == TokenUser ? reinterpret_cast<const TOKEN_USER*>(info.data())->User.Sid
                                  : reinterpret_cast<const TOKEN_OWNER*>(info.data())->Owner;
    std::vector<BYTE> copy(::GetLengthSid(sid));
    ::CopySid(static_cast<DWORD>(copy.size()), copy.data(), sid);
    return copy;
}

// True when the mapping was made by this process's user: its owner is the user or the owner this
// user's processes give their objects (the session's namespace and the default security of a
// mapping keep other ordinary users out).
bool OwnedByOwnUser(HANDLE mapping)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(mapping, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                          &descriptor) != ERROR_SUCCESS)
        return false;
    const std::unique_ptr<void, decltype(&::LocalFree)> release(descriptor, &::LocalFree);
    // A system that records no owner for the object (Wine, whose object namespace is the user's own
    // server) leaves nothing to compare: the object is this user's.
    if (!owner)
        return true;
    for (TOKEN_INFORMATION_CLASS which : {TokenUser, TokenOwner}) {
        std::vector<BYTE> own = OwnTokenSid(which);
        if (!own.empty() && ::EqualSid(owner, own.data()))
            return true;
    }
    return false;
}

std::u16string MappingName(const std::string& name)
{
    return win32::WidePath(name);
}

}  // namespace

void SharedMemoryBlock::reset() noexcept
{
    if (data_)
        ::UnmapViewOfFile(data_);
    if (mapping_)
        ::CloseHandle(static_cast<HANDLE>(mapping_));
    data_ = nullptr;
    mapping_ = nullptr;
    size_ = 0;
    name_.clear();
    created_ = false;
    unlink_ = false;
    private_ = false;
}

SharedMemoryBlock SharedMemoryBlock::OpenExisting(const std::string& name, std::size_t size)
{
    SharedMemoryBlock block;
    if (!IsValidName(name) || size == 0)
        return block;
    const std::u16string wide = MappingName(name);
    // READ_CONTROL lets the owner be read; without it the ownership check below could never pass.
    win32::UniqueHandle mapping(
        ::OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE | READ_CONTROL, FALSE, win32::Wide(wide)));
    if (!mapping)
        return block;
    // A mapping smaller than `size` cannot be viewed at that size: it is not used.
    block.data_ = ::MapViewOfFile(mapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, size);
    if (!block.data_)
        return block;
    block.size_ = size;
    block.name_ = name;
    block.private_ = OwnedByOwnUser(mapping.get());
    block.mapping_ = mapping.release();
    return block;
}

SharedMemoryBlock SharedMemoryBlock::OpenOrCreate(const std::string& name, std::size_t size, bool unlinkIfCreated)
{
    if (!IsValidName(name) || size == 0 || size > MAXDWORD)
        return SharedMemoryBlock();
    const std::u16string wide = MappingName(name);
    win32::UniqueHandle mapping(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                     static_cast<DWORD>(size), win32::Wide(wide)));
    const bool existed = ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (!mapping)
        return SharedMemoryBlock();
    SharedMemoryBlock block;
    block.data_ = ::MapViewOfFile(mapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, size);
    if (!block.data_)
        return SharedMemoryBlock();
    block.size_ = size;
    block.name_ = name;
    block.created_ = !existed;
    // The object goes with its last handle; there is no name to remove.
    block.unlink_ = unlinkIfCreated;
    block.private_ = !existed || OwnedByOwnUser(mapping.get());
    block.mapping_ = mapping.release();
    if (block.created_)
        std::memset(block.data_, 0, size);
    return block;
}

}  // namespace tessaly::platform
