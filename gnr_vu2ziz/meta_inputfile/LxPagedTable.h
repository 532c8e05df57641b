// A table of one value per frame that takes memory only for the pages in
// use: a file may claim billions of frames before any of them is read, and
// a table sized by the claim would be allocated up front.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

template <typename T, uint32_t PageSize = 4096>
class CLxPagedTable
{
  public:
    // Fails (false) only without memory for the page index.
    bool Reset(uint64_t count, const T& fill)
    {
        m_pages.clear();
        m_count = count;
        m_fill = fill;
        try {
            m_pages.resize(size_t((count + PageSize - 1) / PageSize));
        } catch (const std::bad_alloc&) {
            m_count = 0;
            return false;
        }
        return true;
    }

    uint64_t Count() const { return m_count; }

    // The value of i (below Count()), its page made on first use; null
    // without memory.
    T* At(uint64_t i)
    {
        std::unique_ptr<T[]>& page = m_pages[size_t(i / PageSize)];
        if (!page) {
            page.reset(new (std::nothrow) T[PageSize]);
            if (!page)
                return nullptr;
            for (uint32_t k = 0; k < PageSize; ++k)
                page[k] = m_fill;
        }
        return &page[i % PageSize];
    }

    // The value of i without making its page.
    T Peek(uint64_t i) const
    {
        const std::unique_ptr<T[]>& page = m_pages[size_t(i / PageSize)];
        return page ? page[i % PageSize] : m_fill;
    }

    // Calls f on every value of the pages made.
    template <typename F>
    void ForEachMade(F f)
    {
        for (std::unique_ptr<T[]>& page : m_pages)
            if (page)
                for (uint32_t k = 0; k < PageSize; ++k)
                    f(page[k]);
    }

  private:
    std::vector<std::unique_ptr<T[]>> m_pages;
    uint64_t m_count = 0;
    T m_fill{};
};
