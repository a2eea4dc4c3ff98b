// The buffer a script grows in: one block of memory, enlarged in place by realloc (large blocks
// are remapped by the C library, not copied), so a script of many rows never exists twice.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

namespace korva::detail {

class ScriptBuffer {
public:
    ScriptBuffer() = default;
    ScriptBuffer(const ScriptBuffer&) = delete;
    ScriptBuffer& operator=(const ScriptBuffer&) = delete;
    ~ScriptBuffer() { std::free(data_); }

    void append(std::string_view text) {
        if (text.empty()) return;
        reserveExtra(text.size());
        std::memcpy(data_ + size_, text.data(), text.size());
        size_ += text.size();
    }
    void append(char c) {
        if (size_ == capacity_) reserveExtra(1);
        data_[size_++] = c;
    }
    // Room for `extra` more bytes; throws std::bad_alloc.
    void reserveExtra(std::size_t extra) {
        if (capacity_ - size_ >= extra) return;
        std::size_t wanted = size_ + extra;
        std::size_t grown = capacity_ + capacity_ / 2;
        if (grown < wanted) grown = wanted;
        if (grown < 256) grown = 256;
        void* block = std::realloc(data_, grown);
        if (!block) throw std::bad_alloc();
        data_ = static_cast<char*>(block);
        capacity_ = grown;
    }
    // A writable tail of at least `extra` bytes; commit() what was written.
    char* tail(std::size_t extra) {
        reserveExtra(extra);
        return data_ + size_;
    }
    void commit(std::size_t written) noexcept { size_ += written; }
    void truncate(std::size_t size) noexcept {
        if (size < size_) size_ = size;
    }
    void clear() noexcept {
        std::free(data_);
        data_ = nullptr;
        size_ = capacity_ = 0;
    }

    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    std::string_view view() const noexcept { return {data_ ? data_ : "", size_}; }

private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace korva::detail
