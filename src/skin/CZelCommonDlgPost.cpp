// Cross-thread posting: a message queued for the dialog's thread reaches the dialog only while it
// lives.
#include "skin/CZelCommonDlg.h"

namespace tessaly {
namespace {

// A message on its way to the dialog's thread.
struct PostedMessage {
    std::weak_ptr<CZelCommonDlg*> target;
    std::uint32_t msg;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

}  // namespace

void CZelCommonDlg::PostMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam)
{
    GetPoster().PostMessage(msg, wParam, lParam);
}

CDialogPoster CZelCommonDlg::GetPoster() const
{
    return CDialogPoster(m_anchor);
}

void CDialogPoster::PostMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) const
{
    if (m_target.expired())
        return;
    auto* posted = new PostedMessage{m_target, msg, wParam, lParam};
    const SourcePtr source(g_idle_source_new());
    g_source_set_priority(source.get(), G_PRIORITY_DEFAULT);
    g_source_set_callback(
        source.get(),
        [](gpointer data) -> gboolean {
            const auto* message = static_cast<const PostedMessage*>(data);
            if (auto alive = message->target.lock())
                (*alive)->OnMessage(message->msg, message->wParam, message->lParam);
            return G_SOURCE_REMOVE;
        },
        posted, [](gpointer data) { delete static_cast<PostedMessage*>(data); });
    g_source_attach(source.get(), nullptr);
}

}  // namespace tessaly
