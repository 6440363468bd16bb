#pragma once
// The browser's external object: the one member family that page scripts can read through
// window.external. The rules live here as plain C++ so they can be checked without a browser; the
// page-side object (ExternalObjectScript) is generated from the same constants.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tessaly {

class CImpIDispatch {
public:
    // Result codes of the name lookup and the call, with their usual automation values.
    static constexpr std::int32_t kOk = 0;
    static constexpr std::int32_t kUnknownName = static_cast<std::int32_t>(0x80020006u);

    static constexpr std::int32_t kMemberId = 12345;
    static constexpr std::int32_t kUnknownId = -1;
    static constexpr std::u16string_view kMemberName = u"xxyyzz";
    static constexpr std::size_t kMatchLength = 3;
    static constexpr std::u16string_view kMemberValue = u"Wibble";

    // Call flags of Invoke.
    static constexpr std::uint16_t kMethod = 1;
    static constexpr std::uint16_t kPropertyGet = 2;
    static constexpr std::uint16_t kPropertyPut = 4;

    CImpIDispatch() = default;
    virtual ~CImpIDispatch() = default;
    CImpIDispatch(const CImpIDispatch&) = delete;
    CImpIDispatch& operator=(const CImpIDispatch&) = delete;

    // The count only tracks holders; the object is never deleted through it.
    std::int32_t AddRef() { return ++m_nRefCount; }
    std::int32_t Release() { return --m_nRefCount; }
    std::int32_t RefCount() const { return m_nRefCount; }

    // True when `name` belongs to the member: its first three characters equal those of "xxyyzz",
    // letter case counting, full-width and half-width forms of a letter treated alike.
    static bool MatchesMember(std::u16string_view name);

    // Fills ids[i] for every names[i] (kMemberId or kUnknownId); kUnknownName when any name missed.
    // `ids` must be at least as long as `names`.
    std::int32_t GetIDsOfNames(std::span<const std::u16string_view> names, std::span<std::int32_t> ids) const;

    // A property read of kMemberId stores "Wibble" in `result` when one is supplied; everything
    // else (other ids, calls, assignments) does nothing. Always kOk.
    std::int32_t Invoke(std::int32_t id, std::uint16_t flags, std::optional<std::u16string>* result) const;

    // The document-start script that gives pages the same object as window.external: a matching
    // member reads as the value (its string conversion and loose comparison give the text) and can be
    // called as a method, which does nothing and gives undefined; other members are undefined, calls
    // and assignments do nothing.
    static std::string ExternalObjectScript();

private:
    std::int32_t m_nRefCount = 0;
};

// The application's single external object while browser hosting runs, else nullptr.
CImpIDispatch* ExternalDispatch();

}  // namespace tessaly
