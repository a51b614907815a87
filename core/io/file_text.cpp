#include "core/io/file_text.h"

#include <utility>

namespace core::io {

FileText::FileText(FileText&& other) noexcept
    : m_owned(std::move(other.m_owned))
    , m_calls(std::exchange(other.m_calls, nullptr))
    , m_mapped(std::exchange(other.m_mapped, nullptr))
    , m_size(std::exchange(other.m_size, 0))
{
}

FileText& FileText::operator=(FileText&& other) noexcept
{
    if (this != &other) {
        release();
        m_owned = std::move(other.m_owned);
        m_calls = std::exchange(other.m_calls, nullptr);
        m_mapped = std::exchange(other.m_mapped, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

FileText::~FileText()
{
    release();
}

FileText FileText::mapped(SystemCalls& calls, const void* address, std::size_t size)
{
    FileText text;
    text.m_calls = &calls;
    text.m_mapped = static_cast<const char*>(address);
    text.m_size = size;
    return text;
}

void FileText::forget(std::size_t start, std::size_t end) const
{
    if (m_mapped && start < end && end <= m_size)
        m_calls->forgetMapped(m_mapped + start, end - start);
}

void FileText::release()
{
    if (m_mapped)
        m_calls->unmapFile(m_mapped, m_size);
    m_mapped = nullptr;
    m_size = 0;
    m_owned.clear();
}

} // namespace core::io
