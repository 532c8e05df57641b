// A table of one value per frame that takes memory only for the pages in
// use and an index up to the last of them: a file may claim billions of
// frames before any of them is read, and a table sized by the claim would be
// allocated (and cleared) up front.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

template <typename T, uint32_t PageSize = 4096>
class CLxPagedTable
{
  public:
    void Reset(uint64_t count, const T& fill)
    {
        m_pages.clear();
        m_count = count;
        m_fill = fill;
    }

    uint64_t Count() const { return m_count; }

    // The value of i (below Count()), its page made on first use; null
    // without memory.
    T* At(uint64_t i)
    {
        const size_t index = size_t(i / PageSize);
        if (index >= m_pages.size()) {
            try {
                m_pages.resize(index + 1);
            } catch (const std::bad_alloc&) {
                return nullptr;
            }
        }
        std::unique_ptr<T[]>& page = m_pages[index];
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
        const size_t index = size_t(i / PageSize);
        return index < m_pages.size() && m_pages[index] ? m_pages[index][i % PageSize] : m_fill;
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
