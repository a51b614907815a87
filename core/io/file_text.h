#pragma once

#include "core/platform/system_calls.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace core::io {

// A file's text in memory: read into a string, or mapped read-only from the file, which costs
// neither a copy nor fresh memory for a large file. A mapped text stays as it was read only
// while nobody rewrites the file in place (this program and Wine replace files whole); where the
// system allows, a file cut in place meanwhile reads as zeros from where it now ends.
class FileText {
public:
    FileText() = default;
    // Text held in a string of its own (the converting constructor lets a string stand for it).
    FileText(std::string text) : m_owned(std::move(text)) {}
    FileText(FileText&& other) noexcept;
    FileText& operator=(FileText&& other) noexcept;
    FileText(const FileText&) = delete;
    FileText& operator=(const FileText&) = delete;
    ~FileText();

    // The `size` bytes that `calls.mapFile` mapped at `address`, unmapped when this text goes.
    static FileText mapped(SystemCalls& calls, const void* address, std::size_t size);

    std::string_view view() const { return m_mapped ? std::string_view(m_mapped, m_size) : std::string_view(m_owned); }
    bool isMapped() const { return m_mapped != nullptr; }
    // Gives the memory of the mapped bytes from `start` to `end` back to the system; they read
    // the same afterwards, from the file's pages again. A text in a string keeps its memory.
    void forget(std::size_t start, std::size_t end) const;

private:
    void release();

    std::string m_owned;
    SystemCalls* m_calls = nullptr;
    const char* m_mapped = nullptr;
    std::size_t m_size = 0;
};

} // namespace core::io
