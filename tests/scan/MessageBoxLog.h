// Records every message box a test's code shows, answering each with OK.
#pragma once

#include "platform/afx/Afx.h"
#include "platform/win/Automation.h"

#include <mutex>
#include <string>
#include <vector>

namespace qmtest
{

class MessageBoxLog
{
public:
    struct Box
    {
        std::u16string text;
        unsigned icon;
    };
    MessageBoxLog()
    {
        winplat::automation::SetMessageBoxHandler(
            [this](const winplat::automation::MessageBoxRecord& r)
            {
                std::lock_guard lock(m_mutex);
                m_boxes.push_back({r.text, r.type & 0xF0u});
                return IDOK;
            });
    }
    ~MessageBoxLog() { winplat::automation::SetMessageBoxHandler({}); }
    MessageBoxLog(const MessageBoxLog&) = delete;
    MessageBoxLog& operator=(const MessageBoxLog&) = delete;

    std::vector<Box> Boxes() const
    {
        std::lock_guard lock(m_mutex);
        return m_boxes;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Box> m_boxes;
};

inline bool operator==(const MessageBoxLog::Box& a, const MessageBoxLog::Box& b)
{
    return a.text == b.text && a.icon == b.icon;
}

} // namespace qmtest
