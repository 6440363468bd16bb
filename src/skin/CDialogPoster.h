#pragma once
// A handle through which any thread can post a message to a skinned dialog. It holds only a weak
// reference: once the dialog is gone, posting does nothing, so a worker thread may keep and use its
// copy for as long as it likes. Messages are handled by the dialog's OnMessage on the thread that
// runs the dialog (the default GLib main context), in the order they were posted.
#include <cstdint>
#include <memory>

namespace tessaly {

class CZelCommonDlg;

class CDialogPoster {
public:
    CDialogPoster() = default;
    explicit CDialogPoster(std::weak_ptr<CZelCommonDlg*> target) : m_target(std::move(target)) {}

    void PostMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) const;
    bool Expired() const { return m_target.expired(); }

private:
    std::weak_ptr<CZelCommonDlg*> m_target;
};

}  // namespace tessaly
