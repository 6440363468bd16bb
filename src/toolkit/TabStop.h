#pragma once
// Something the keyboard focus can be moved to with Tab: a control, the browser, or any other piece
// of a dialog. Holding a TabStop keeps the piece addressable (never dangling) until it is dropped.
#include <memory>

namespace tessaly::toolkit {

struct TabStopData;  // the toolkit's own reference to the piece

class TabStop {
public:
    TabStop() = default;
    explicit TabStop(std::shared_ptr<TabStopData> data) : m_data(std::move(data)) {}

    explicit operator bool() const { return m_data != nullptr; }
    TabStopData* Data() const { return m_data.get(); }

private:
    std::shared_ptr<TabStopData> m_data;
};

}  // namespace tessaly::toolkit
