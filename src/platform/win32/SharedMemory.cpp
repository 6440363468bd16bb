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

// The user this process runs as.
std::vector<BYTE> OwnUserSid()
{
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw))
        return {};
    const win32::UniqueHandle token(raw);
    DWORD bytes = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &bytes);
    std::vector<BYTE> info(bytes);
    if (bytes == 0 || !::GetTokenInformation(token.get(), TokenUser, info.data(), bytes, &bytes))
        return {};
    const auto* user = reinterpret_cast<const TOKEN_USER*>(info.data());
    std::vector<BYTE> sid(::GetLengthSid(user->User.Sid));
    ::CopySid(static_cast<DWORD>(sid.size()), sid.data(), user->User.Sid);
    return sid;
}

// True when the mapping belongs to this process's user (the session's namespace and the default
// security of a mapping keep other ordinary users out).
bool OwnedByOwnUser(HANDLE mapping)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(mapping, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                          &descriptor) != ERROR_SUCCESS)
        return false;
    const std::unique_ptr<void, decltype(&::LocalFree)> release(descriptor, &::LocalFree);
    std::vector<BYTE> own = OwnUserSid();
    return owner && !own.empty() && ::EqualSid(owner, own.data());
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
    win32::UniqueHandle mapping(::OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, win32::Wide(wide)));
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
